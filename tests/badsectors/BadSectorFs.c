/* A disk with bad sectors for the read-error tests: a Linux program that serves the files of
 * one folder, read-only, at a mount point, and answers every read of one file that touches a
 * byte range with EIO, as a disk answers for sectors it cannot read. It speaks the kernel's
 * FUSE protocol on /dev/fuse itself (no library), so it needs only the kernel's headers and
 * root to mount. Reads bypass the page cache, so each read of the program's is one request
 * here and a read beside the range succeeds.
 *
 *   badsectorfs FOLDER MOUNTPOINT NAME FROM TO
 *
 * mounts, then serves in the background; the status is 0 once mounted. `umount MOUNTPOINT`
 * ends the server. Only the folder's own files are served (no subfolders). */
#define _GNU_SOURCE
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/fuse.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/uio.h>
#include <unistd.h>

#define MAX_NODES 4096
#define REQUEST_BYTES (1 << 20) + 8192

static const char* folder;
static const char* badName;
static uint64_t badFrom, badTo;
static char* nodeNames[MAX_NODES]; /* nodeid - 2: a file of the folder, by name */
static size_t nodeCount;
static int device;

static uint64_t NodeOf(const char* name) {
  for (size_t node = 0; node < nodeCount; ++node)
    if (strcmp(nodeNames[node], name) == 0) return node + 2;
  if (nodeCount == MAX_NODES) return 0;
  nodeNames[nodeCount] = strdup(name);
  return ++nodeCount + 1;
}

/* The folder's path of a node; NULL for a node this server never gave out. */
static int PathOf(uint64_t node, char* path, size_t size) {
  if (node == FUSE_ROOT_ID) return snprintf(path, size, "%s", folder) < (int)size;
  if (node < 2 || node - 2 >= nodeCount) return 0;
  return snprintf(path, size, "%s/%s", folder, nodeNames[node - 2]) < (int)size;
}

static void Reply(uint64_t unique, int error, const void* body, size_t length) {
  struct fuse_out_header header = {sizeof header + (error ? 0 : length), error, unique};
  struct iovec parts[2] = {{&header, sizeof header}, {(void*)body, error ? 0 : length}};
  /* ENOENT: the request was interrupted meanwhile; nothing waits for the answer. */
  if (writev(device, parts, 2) < 0 && errno != ENOENT) perror("badsectorfs: reply");
}

static void Attributes(const struct stat* status, struct fuse_attr* attr, uint64_t node) {
  memset(attr, 0, sizeof *attr);
  attr->ino = node;
  attr->size = (uint64_t)status->st_size;
  attr->blocks = (uint64_t)status->st_blocks;
  attr->atime = (uint64_t)status->st_atim.tv_sec;
  attr->mtime = (uint64_t)status->st_mtim.tv_sec;
  attr->ctime = (uint64_t)status->st_ctim.tv_sec;
  attr->atimensec = (uint32_t)status->st_atim.tv_nsec;
  attr->mtimensec = (uint32_t)status->st_mtim.tv_nsec;
  attr->ctimensec = (uint32_t)status->st_ctim.tv_nsec;
  attr->mode = status->st_mode;
  attr->nlink = (uint32_t)status->st_nlink;
  attr->uid = status->st_uid;
  attr->gid = status->st_gid;
  attr->blksize = 512;
}

static void Lookup(const struct fuse_in_header* in, const char* name) {
  char path[4096];
  struct stat status;
  uint64_t node = in->nodeid == FUSE_ROOT_ID && !strchr(name, '/') ? NodeOf(name) : 0;
  if (!node || !PathOf(node, path, sizeof path) || lstat(path, &status) != 0) {
    Reply(in->unique, -ENOENT, NULL, 0);
    return;
  }
  struct fuse_entry_out entry = {.nodeid = node, .entry_valid = 1, .attr_valid = 1};
  Attributes(&status, &entry.attr, node);
  Reply(in->unique, 0, &entry, sizeof entry);
}

static void GetAttributes(const struct fuse_in_header* in) {
  char path[4096];
  struct stat status;
  if (!PathOf(in->nodeid, path, sizeof path) || lstat(path, &status) != 0) {
    Reply(in->unique, -ENOENT, NULL, 0);
    return;
  }
  struct fuse_attr_out out = {.attr_valid = 1};
  Attributes(&status, &out.attr, in->nodeid);
  Reply(in->unique, 0, &out, sizeof out);
}

static void Open(const struct fuse_in_header* in, const struct fuse_open_in* open_in, int directory) {
  char path[4096];
  if (!directory && (open_in->flags & O_ACCMODE) != O_RDONLY) {
    Reply(in->unique, -EROFS, NULL, 0);
    return;
  }
  int file = PathOf(in->nodeid, path, sizeof path) ? open(path, directory ? O_RDONLY | O_DIRECTORY : O_RDONLY) : -1;
  if (file < 0) {
    Reply(in->unique, -errno, NULL, 0);
    return;
  }
  struct fuse_open_out out = {.fh = (uint64_t)file, .open_flags = directory ? 0 : FOPEN_DIRECT_IO};
  Reply(in->unique, 0, &out, sizeof out);
}

static void Read(const struct fuse_in_header* in, const struct fuse_read_in* read_in, char* buffer) {
  const int bad = in->nodeid >= 2 && in->nodeid - 2 < nodeCount && strcmp(nodeNames[in->nodeid - 2], badName) == 0;
  if (bad && read_in->offset < badTo && read_in->offset + read_in->size > badFrom) {
    Reply(in->unique, -EIO, NULL, 0);
    return;
  }
  ssize_t got = pread((int)read_in->fh, buffer, read_in->size, (off_t)read_in->offset);
  Reply(in->unique, got < 0 ? -errno : 0, buffer, got < 0 ? 0 : (size_t)got);
}

/* The folder's entries from the offset on (each entry's offset is the next one's number). */
static void ReadFolder(const struct fuse_in_header* in, const struct fuse_read_in* read_in, char* buffer) {
  DIR* entries = opendir(folder);
  if (!entries) {
    Reply(in->unique, -errno, NULL, 0);
    return;
  }
  size_t filled = 0;
  uint64_t number = 0;
  for (struct dirent* entry; (entry = readdir(entries)) != NULL;) {
    const int dots = strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0;
    if (number++ < read_in->offset) continue;
    const size_t nameLength = strlen(entry->d_name);
    const size_t size = FUSE_DIRENT_SIZE(&(struct fuse_dirent){.namelen = (uint32_t)nameLength});
    if (filled + size > read_in->size) break;
    struct fuse_dirent* out = (struct fuse_dirent*)(buffer + filled);
    memset(out, 0, size);
    out->ino = dots ? FUSE_ROOT_ID : NodeOf(entry->d_name);
    out->off = number;
    out->namelen = (uint32_t)nameLength;
    out->type = entry->d_type;
    memcpy(out->name, entry->d_name, nameLength);
    filled += size;
  }
  closedir(entries);
  Reply(in->unique, 0, buffer, filled);
}

static void FileSystemState(const struct fuse_in_header* in) {
  struct statvfs state;
  if (statvfs(folder, &state) != 0) {
    Reply(in->unique, -errno, NULL, 0);
    return;
  }
  struct fuse_statfs_out out = {.st = {.blocks = state.f_blocks, .bfree = state.f_bfree, .bavail = state.f_bavail,
                                       .files = state.f_files, .ffree = state.f_ffree, .bsize = (uint32_t)state.f_bsize,
                                       .namelen = 255, .frsize = (uint32_t)state.f_frsize}};
  Reply(in->unique, 0, &out, sizeof out);
}

static void Initialize(const struct fuse_in_header* in, const struct fuse_init_in* init) {
  struct fuse_init_out out = {.major = FUSE_KERNEL_VERSION,
                              .minor = init->minor < FUSE_KERNEL_MINOR_VERSION ? init->minor : FUSE_KERNEL_MINOR_VERSION,
                              .max_write = 4096};
  Reply(in->unique, 0, &out, sizeof out);
}

static void Serve(void) {
  char* request = malloc(REQUEST_BYTES);
  char* answer = malloc(REQUEST_BYTES);
  for (;;) {
    ssize_t got = read(device, request, REQUEST_BYTES);
    if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == ENOENT)) continue;
    if (got < (ssize_t)sizeof(struct fuse_in_header)) return; /* unmounted (ENODEV) */
    const struct fuse_in_header* in = (const struct fuse_in_header*)request;
    const void* body = request + sizeof *in;
    switch (in->opcode) {
      case FUSE_INIT: Initialize(in, body); break;
      case FUSE_LOOKUP: Lookup(in, body); break;
      case FUSE_GETATTR: GetAttributes(in); break;
      case FUSE_OPEN: Open(in, body, 0); break;
      case FUSE_OPENDIR: Open(in, body, 1); break;
      case FUSE_READ: Read(in, body, answer); break;
      case FUSE_READDIR: ReadFolder(in, body, answer); break;
      case FUSE_RELEASE:
      case FUSE_RELEASEDIR:
        close((int)((const struct fuse_release_in*)body)->fh);
        Reply(in->unique, 0, NULL, 0);
        break;
      case FUSE_STATFS: FileSystemState(in); break;
      case FUSE_FLUSH:
      case FUSE_ACCESS: Reply(in->unique, 0, NULL, 0); break;
      case FUSE_FORGET:
      case FUSE_BATCH_FORGET:
      case FUSE_INTERRUPT: break; /* these get no answer */
      case FUSE_DESTROY: Reply(in->unique, 0, NULL, 0); return;
      default: Reply(in->unique, -ENOSYS, NULL, 0); break;
    }
  }
}

int main(int argc, char** argv) {
  if (argc != 6) {
    fprintf(stderr, "usage: badsectorfs FOLDER MOUNTPOINT NAME FROM TO\n");
    return 2;
  }
  folder = argv[1];
  badName = argv[3];
  badFrom = strtoull(argv[4], NULL, 10);
  badTo = strtoull(argv[5], NULL, 10);
  device = open("/dev/fuse", O_RDWR | O_CLOEXEC);
  if (device < 0) {
    perror("badsectorfs: /dev/fuse");
    return 1;
  }
  char options[128];
  snprintf(options, sizeof options, "fd=%d,rootmode=40000,user_id=%u,group_id=%u,allow_other", device,
           (unsigned)getuid(), (unsigned)getgid());
  if (mount("badsectorfs", argv[2], "fuse.badsectorfs", MS_NOSUID | MS_NODEV | MS_RDONLY, options) != 0) {
    perror("badsectorfs: mount");
    return 1;
  }
  pid_t server = fork();
  if (server < 0) {
    perror("badsectorfs: fork");
    umount2(argv[2], MNT_DETACH);
    return 1;
  }
  if (server > 0) return 0;
  setsid();
  int null = open("/dev/null", O_RDWR);
  dup2(null, 0), dup2(null, 1), dup2(null, 2);
  Serve();
  return 0;
}
