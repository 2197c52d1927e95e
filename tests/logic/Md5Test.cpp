// MD5: the test suite of RFC 1321, and the same digests from bytes added in any chunking.
#include <doctest/doctest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "logic/Md5.h"

namespace {

std::string Hex(const Md5Digest& digest) {
  std::string text;
  char pair[3];
  for (unsigned char byte : digest) std::snprintf(pair, sizeof pair, "%02x", byte), text += pair;
  return text;
}

}  // namespace

TEST_CASE("MD5 gives the digests of RFC 1321's test suite") {
  const struct {
    const char* text;
    const char* digest;
  } suite[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& entry : suite) {
    CAPTURE(entry.text);
    CHECK(Hex(Md5Of(entry.text, std::string(entry.text).size())) == entry.digest);
  }
}

TEST_CASE("MD5 of bytes added in parts equals the MD5 of them in one run, across every block edge") {
  std::string bytes(300, '\0');
  for (size_t at = 0; at < bytes.size(); ++at) bytes[at] = static_cast<char>(at * 131 + 7);
  // Lengths around the 55/56/64-byte edges where the padding takes one or two blocks.
  for (size_t length : {0, 1, 55, 56, 57, 63, 64, 65, 119, 120, 128, 300}) {
    const Md5Digest whole = Md5Of(bytes.data(), length);
    for (size_t cut = 0; cut <= length; cut += 1 + length / 9) {
      for (size_t step : {1, 3, 64}) {
        CAPTURE(length);
        CAPTURE(cut);
        CAPTURE(step);
        Md5 md5;
        md5.Add(bytes.data(), cut);
        for (size_t at = cut; at < length; at += step) md5.Add(bytes.data() + at, std::min(step, length - at));
        CHECK(md5.Finish() == whole);
      }
    }
  }
  // Finish starts the object again.
  Md5 md5;
  md5.Add("abc", 3);
  md5.Finish();
  CHECK(Hex(md5.Finish()) == "d41d8cd98f00b204e9800998ecf8427e");
}
