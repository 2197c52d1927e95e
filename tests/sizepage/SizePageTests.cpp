// The Size / Numbers page, created for real inside a modeless split-dialog window that
// records every WM_SET_SIZE_OPTION the page posts, and driven the way a user drives it:
// radio clicks, typed characters, scroll-bar messages.
#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "framework/Texts.h"
#include "job/Messages.h"
#include "res/resource.h"
#include "support/Journal.h"
#include "ui/SizePage.h"

namespace {

constexpr LANGID ENGLISH = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr LANGID GERMAN = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);

constexpr int CUSTOM_CONTROLS[] = {IDC_SIZE_EDIT,      IDC_BYTES_LABEL,    IDC_SIZE_SCROLL,    IDC_MIN_SIZE_LABEL,
                                   IDC_MAX_SIZE_LABEL, IDC_COUNT_EDIT,     IDC_FILES_LABEL,    IDC_COUNT_SCROLL,
                                   IDC_MIN_COUNT_LABEL, IDC_MAX_COUNT_LABEL};

// The page's parent: records each size report as "<validity> <size option>".
class Host : public fw::Dialog {
 public:
  explicit Host(Journal& reports) : fw::Dialog(IDD_SPLIT, nullptr), reports(reports) {}

 private:
  DECLARE_MESSAGE_MAP()
  LRESULT OnSizeOption(WPARAM valid, LPARAM option) {
    reports.Add(fw::Format("%u %d", unsigned(valid), int(int32_t(option))));
    return 0;
  }
  Journal& reports;
};

BEGIN_MESSAGE_MAP(Host, fw::Dialog)
  ON_MESSAGE(WM_SET_SIZE_OPTION, OnSizeOption)
END_MESSAGE_MAP()

void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// A split-dialog window with the page shown on it, in the chosen language. The window itself
// stays hidden: showing a top-level window costs seconds under the test display.
class PageOnHost {
 public:
  explicit PageOnHost(LANGID language = ENGLISH) {
    fw::ChooseLanguage(language);
    REQUIRE(host.Create(nullptr));
    REQUIRE(page.Create(host.Handle()));
    ShowWindow(page.Handle(), SW_SHOW);
    Pump();
  }
  ~PageOnHost() { fw::ChooseLanguage(ENGLISH); }

  // Reports posted since the last call.
  std::vector<std::string> NewReports() {
    Pump();
    std::vector<std::string> all = reports.Entries();
    std::vector<std::string> fresh(all.begin() + std::ptrdiff_t(seen), all.end());
    seen = all.size();
    return fresh;
  }
  // The last report posted since the last call, "none" when there was none.
  std::string LastReport() {
    std::vector<std::string> fresh = NewReports();
    return fresh.empty() ? "none" : fresh.back();
  }

  void Click(int id) {
    REQUIRE(IsWindowEnabled(GetDlgItem(page.Handle(), id)));
    SendMessageA(GetDlgItem(page.Handle(), id), BM_CLICK, 0, 0);
    Pump();
  }
  // Selects the whole field and types the characters over it, one message each.
  void Type(int id, const std::string& characters) {
    HWND edit = GetDlgItem(page.Handle(), id);
    REQUIRE(IsWindowEnabled(edit));
    SendMessageA(edit, EM_SETSEL, 0, -1);
    for (char character : characters) SendMessageA(edit, WM_CHAR, WPARAM(uint8_t(character)), 1);
    Pump();
  }
  void Clear(int id) { Type(id, "\b"); }
  void Scroll(int barId, int code, int thumb = 0) {
    HWND bar = GetDlgItem(page.Handle(), barId);
    REQUIRE(IsWindowEnabled(bar));
    SendMessageA(page.Handle(), WM_HSCROLL, MAKEWPARAM(code, thumb), reinterpret_cast<LPARAM>(bar));
    Pump();
  }
  // A source reported by the split dialog: size, then recomputation.
  void ReportSource(int64_t bytes) {
    page.SetSourceSize(bytes);
    page.Recompute();
    Pump();
  }

  std::string Text(int id) const {
    char text[64] = {};
    GetDlgItemTextA(page.Handle(), id, text, sizeof text);
    return text;
  }
  // "size / count" as the two fields show them.
  std::string Fields() const { return Text(IDC_SIZE_EDIT) + " / " + Text(IDC_COUNT_EDIT); }
  // The four bound labels: smallest and largest size, smallest and largest count.
  std::string Labels() const {
    return Text(IDC_MIN_SIZE_LABEL) + ", " + Text(IDC_MAX_SIZE_LABEL) + ", " + Text(IDC_MIN_COUNT_LABEL) + ", " +
           Text(IDC_MAX_COUNT_LABEL);
  }
  // "size thumb / count thumb".
  std::string Thumbs() const {
    return fw::Format("%d / %d", GetScrollPos(GetDlgItem(page.Handle(), IDC_SIZE_SCROLL), SB_CTL),
                      GetScrollPos(GetDlgItem(page.Handle(), IDC_COUNT_SCROLL), SB_CTL));
  }
  std::string Range(int barId) const {
    int minimum = -1, maximum = -1;
    GetScrollRange(GetDlgItem(page.Handle(), barId), SB_CTL, &minimum, &maximum);
    return fw::Format("%d..%d", minimum, maximum);
  }
  // How many of the ten custom controls are enabled.
  int EnabledCustomControls() const {
    int enabled = 0;
    for (int id : CUSTOM_CONTROLS) enabled += IsWindowEnabled(GetDlgItem(page.Handle(), id)) ? 1 : 0;
    return enabled;
  }

  Journal reports;
  Host host{reports};
  SizePage page{nullptr};

 private:
  size_t seen = 0;
};

// The custom choice for a source of this size, as the split dialog sets it up.
void StartCustom(PageOnHost& ui, int64_t bytes) {
  ui.page.SetChoice(2);
  ui.ReportSource(bytes);
}

}  // namespace

using Reports = std::vector<std::string>;

TEST_CASE("Before the first source the custom controls wait, then the bounds of 0 bytes apply") {
  PageOnHost ui;
  CHECK(IsDlgButtonChecked(ui.page.Handle(), IDC_FLOPPY_144) == BST_CHECKED);
  // A stored custom choice checks its button but enables nothing before a recomputation.
  ui.page.SetChoice(2);
  CHECK(IsDlgButtonChecked(ui.page.Handle(), IDC_CUSTOM_SIZE) == BST_CHECKED);
  CHECK(ui.EnabledCustomControls() == 0);
  CHECK(ui.NewReports().empty());

  SUBCASE("clicking Custom computes the bounds for 0 bytes: plural labels, zeros, an invalid choice") {
    ui.Click(IDC_CUSTOM_SIZE);
    CHECK(ui.NewReports() == Reports{"0 0"});
    CHECK(ui.EnabledCustomControls() == 10);
    CHECK(ui.Labels() == "0 bytes, 0 bytes, 0 files, 0 files");
    CHECK(ui.Fields() == "0 / 0");
  }
  SUBCASE("clicking a floppy choice reports it valid and turns the custom controls off") {
    ui.Click(IDC_FLOPPY_720);
    CHECK(ui.NewReports() == Reports{"1 -2"});
    CHECK(ui.EnabledCustomControls() == 0);
  }
}

TEST_CASE("Custom size and count for a source of 100,000 bytes follow each other") {
  PageOnHost ui;
  StartCustom(ui, 100000);
  // One report: the page's own writes into its fields run no edit handler.
  CHECK(ui.NewReports() == Reports{"1 100000"});
  CHECK(ui.EnabledCustomControls() == 10);
  CHECK(ui.Labels() == "100 bytes, 100000 bytes, 1 file, 1000 files");
  CHECK(ui.Fields() == "100000 / 1");
  // Scale 4: the size bar runs from 25 (100 bytes) to 25000 (100,000 bytes).
  CHECK(ui.Range(IDC_SIZE_SCROLL) == "25..25000");
  CHECK(ui.Range(IDC_COUNT_SCROLL) == "1..1000");
  CHECK(ui.Thumbs() == "25000 / 1");

  SUBCASE("clearing the size field shows a count of 0 and reports an invalid 0") {
    ui.Clear(IDC_SIZE_EDIT);
    CHECK(ui.Fields() == " / 0");
    CHECK(ui.NewReports() == Reports{"0 0"});
  }
  SUBCASE("typing a count of 250 writes 400 into the size field, one report per keystroke") {
    ui.Type(IDC_COUNT_EDIT, "250");
    CHECK(ui.Fields() == "400 / 250");
    CHECK(ui.NewReports() == Reports{"1 50000", "1 4000", "1 400"});
    CHECK(ui.Thumbs() == "100 / 250");
  }
  SUBCASE("a count above 1000 is replaced by 1000 and the size follows") {
    ui.Type(IDC_COUNT_EDIT, "2000");
    CHECK(ui.Fields() == "100 / 1000");
    CHECK(ui.NewReports() == Reports{"1 50000", "1 5000", "1 500", "1 100"});
  }
  SUBCASE("a size above the file is replaced by the file size and gives one piece") {
    ui.Type(IDC_SIZE_EDIT, "999999");
    CHECK(ui.Fields() == "100000 / 1");
    CHECK(ui.LastReport() == "1 100000");
  }
  SUBCASE("a size below the smallest is kept and reported invalid for its too many pieces") {
    ui.Type(IDC_SIZE_EDIT, "99");
    CHECK(ui.Fields() == "99 / 1011");
    CHECK(ui.LastReport() == "0 99");
  }
  SUBCASE("the floppy choices report valid whatever the fields hold") {
    ui.Clear(IDC_SIZE_EDIT);
    ui.Click(IDC_FLOPPY_720);
    CHECK(ui.NewReports().back() == "1 -2");
    CHECK(ui.EnabledCustomControls() == 0);
    ui.Click(IDC_FLOPPY_144);
    CHECK(ui.LastReport() == "1 -1");
  }
  SUBCASE("clicking Custom again and the same source again keep the typed values") {
    ui.Type(IDC_COUNT_EDIT, "250");
    ui.NewReports();
    ui.Click(IDC_CUSTOM_SIZE);
    ui.ReportSource(100000);
    CHECK(ui.Fields() == "400 / 250");
    CHECK(ui.NewReports() == Reports{"1 400", "1 400"});
    // A source of another size starts over as one piece of the whole file.
    ui.ReportSource(1);
    CHECK(ui.Fields() == "1 / 1");
    CHECK(ui.Labels() == "1 byte, 1 byte, 1 file, 1 file");
    CHECK(ui.NewReports() == Reports{"1 1"});
  }
}

TEST_CASE("A size entered for the page counts as typed") {
  PageOnHost ui;
  StartCustom(ui, 10);
  ui.page.SetSize(2);
  CHECK(ui.Fields() == "2 / 5");
  CHECK(ui.LastReport() == "1 2");
  ui.page.SetSize(65536);
  CHECK(ui.Fields() == "10 / 1");
  CHECK(ui.LastReport() == "1 10");
  // Rounded up both ways: 6 pieces of a 10-byte file need 2 bytes each (which make 5 pieces).
  ui.Type(IDC_COUNT_EDIT, "6");
  CHECK(ui.Fields() == "2 / 6");
  CHECK(ui.LastReport() == "1 2");
}

TEST_CASE("Scrolling either bar moves both fields and both thumbs") {
  PageOnHost ui;
  StartCustom(ui, 100000);
  ui.NewReports();

  SUBCASE("count steps and drags") {
    ui.Scroll(IDC_COUNT_SCROLL, SB_LINERIGHT);
    CHECK(ui.Fields() == "50000 / 2");
    CHECK(ui.Thumbs() == "12500 / 2");
    CHECK(ui.LastReport() == "1 50000");
    // A page step that would pass the lowest count does nothing.
    ui.Scroll(IDC_COUNT_SCROLL, SB_PAGELEFT);
    CHECK(ui.Fields() == "50000 / 2");
    ui.Scroll(IDC_COUNT_SCROLL, SB_PAGERIGHT);
    CHECK(ui.Fields() == "8334 / 12");
    ui.Scroll(IDC_COUNT_SCROLL, SB_THUMBTRACK, 250);
    CHECK(ui.Fields() == "400 / 250");
    CHECK(ui.Thumbs() == "100 / 250");
    CHECK(ui.LastReport() == "1 400");
  }
  SUBCASE("size steps, and drags scaled by 4") {
    ui.Scroll(IDC_SIZE_SCROLL, SB_LINELEFT);
    CHECK(ui.Fields() == "99999 / 2");
    // At the largest size a page step to the right does nothing.
    ui.Scroll(IDC_SIZE_SCROLL, SB_LINERIGHT);
    ui.Scroll(IDC_SIZE_SCROLL, SB_PAGERIGHT);
    CHECK(ui.Fields() == "100000 / 1");
    ui.Scroll(IDC_SIZE_SCROLL, SB_THUMBTRACK, 1000);
    CHECK(ui.Fields() == "4000 / 25");
    CHECK(ui.Thumbs() == "1000 / 25");
    ui.Scroll(IDC_SIZE_SCROLL, SB_THUMBTRACK, 25);
    CHECK(ui.Fields() == "100 / 1000");
    CHECK(ui.LastReport() == "1 100");
  }
  SUBCASE("five above the smallest size a page step left does nothing, a line step does") {
    ui.Type(IDC_SIZE_EDIT, "105");
    ui.Scroll(IDC_SIZE_SCROLL, SB_PAGELEFT);
    CHECK(ui.Fields() == "105 / 953");
    ui.Scroll(IDC_SIZE_SCROLL, SB_LINELEFT);
    CHECK(ui.Fields() == "104 / 962");
  }
  SUBCASE("the end of a scroll rewrites both fields from the size, and reports") {
    // 999 pieces need 101 bytes each, and 101-byte pieces make only 991.
    ui.Type(IDC_COUNT_EDIT, "999");
    CHECK(ui.Fields() == "101 / 999");
    ui.NewReports();
    ui.Scroll(IDC_SIZE_SCROLL, SB_ENDSCROLL);
    CHECK(ui.Fields() == "101 / 991");
    CHECK(ui.NewReports() == Reports{"1 101"});
  }
}

TEST_CASE("A 1.44 MB source scales the size bar by 45") {
  PageOnHost ui;
  StartCustom(ui, 1457664);
  CHECK(ui.Range(IDC_SIZE_SCROLL) == "33..32392");
  CHECK(ui.Thumbs() == "32392 / 1");
  ui.Scroll(IDC_SIZE_SCROLL, SB_THUMBTRACK, 33);
  CHECK(ui.Fields() == "1485 / 982");
  CHECK(ui.LastReport() == "1 1485");
  ui.Scroll(IDC_SIZE_SCROLL, SB_LINERIGHT);
  CHECK(ui.Thumbs() == "33 / 981");
}

TEST_CASE("Sources past 2^31 - 1 bytes: typed and scrolled values in 64 bits") {
  constexpr int64_t GIB = int64_t{1} << 30;
  PageOnHost ui;
  SUBCASE("5 GiB: pieces of at most 2^31 - 1 bytes, at least 3 of them") {
    StartCustom(ui, 5 * GIB);
    CHECK(ui.NewReports() == Reports{"1 2147483647"});
    CHECK(ui.Labels() == "5368710 bytes, 2147483647 bytes, 3 files, 1000 files");
    CHECK(ui.Fields() == "2147483647 / 3");
    CHECK(ui.Range(IDC_SIZE_SCROLL) == "82..32766");
    CHECK(ui.Range(IDC_COUNT_SCROLL) == "3..1000");
    CHECK(ui.Thumbs() == "32766 / 3");
    // One byte per piece: the count follows past 32 bits, its thumb stays at the bar's end.
    ui.Type(IDC_SIZE_EDIT, "1");
    CHECK(ui.Fields() == "1 / 5368709120");
    CHECK(ui.LastReport() == "0 1");
    CHECK(ui.Thumbs() == "82 / 1000");
    // A typed size past 32 bits is held to the largest piece and written back.
    ui.Type(IDC_SIZE_EDIT, "5368709120");
    CHECK(ui.Fields() == "2147483647 / 3");
    CHECK(ui.LastReport() == "1 2147483647");
    // Fewer pieces than the largest size allows: the size stays the largest, and the
    // split makes the 3 pieces it needs.
    ui.Type(IDC_COUNT_EDIT, "1");
    CHECK(ui.Fields() == "2147483647 / 1");
    CHECK(ui.LastReport() == "1 2147483647");
    ui.Type(IDC_COUNT_EDIT, "4");
    CHECK(ui.Fields() == "1342177280 / 4");
    CHECK(ui.LastReport() == "1 1342177280");
  }
  SUBCASE("2 GiB: steps of single bytes at the largest size, of single pieces at the fewest") {
    StartCustom(ui, 2 * GIB);
    CHECK(ui.Fields() == "2147483647 / 2");
    ui.Scroll(IDC_SIZE_SCROLL, SB_LINELEFT);
    CHECK(ui.Fields() == "2147483646 / 2");
    ui.Scroll(IDC_SIZE_SCROLL, SB_PAGELEFT);
    CHECK(ui.Fields() == "2147483636 / 2");
    ui.Scroll(IDC_SIZE_SCROLL, SB_PAGERIGHT);
    ui.Scroll(IDC_SIZE_SCROLL, SB_PAGERIGHT);  // would pass the largest size: nothing
    CHECK(ui.Fields() == "2147483646 / 2");
    ui.Scroll(IDC_COUNT_SCROLL, SB_LINERIGHT);
    CHECK(ui.Fields() == "715827883 / 3");
    CHECK(ui.Thumbs() == "10922 / 3");
    ui.Scroll(IDC_COUNT_SCROLL, SB_THUMBTRACK, 2);
    CHECK(ui.Fields() == "1073741824 / 2");
    CHECK(ui.LastReport() == "1 1073741824");
  }
  SUBCASE("1000 pieces of 2^31 - 1 bytes: one size, one count, and nothing moves") {
    StartCustom(ui, 1000 * int64_t{INT32_MAX});
    CHECK(ui.Labels() == "2147483647 bytes, 2147483647 bytes, 1000 files, 1000 files");
    CHECK(ui.Range(IDC_SIZE_SCROLL) == "32766..32766");
    CHECK(ui.Range(IDC_COUNT_SCROLL) == "1000..1000");
    for (int code : {SB_LINELEFT, SB_PAGELEFT, SB_LINERIGHT, SB_PAGERIGHT}) {
      ui.Scroll(IDC_SIZE_SCROLL, code);
      ui.Scroll(IDC_COUNT_SCROLL, code);
    }
    ui.Scroll(IDC_SIZE_SCROLL, SB_THUMBTRACK, 32766);
    CHECK(ui.Fields() == "2147483647 / 1000");
    CHECK(ui.Thumbs() == "32766 / 1000");
    CHECK(ui.LastReport() == "1 2147483647");
  }
  SUBCASE("one byte more: no custom size can be valid") {
    StartCustom(ui, 1000 * int64_t{INT32_MAX} + 1);
    CHECK(ui.Labels() == "0 bytes, 0 bytes, 0 files, 0 files");
    CHECK(ui.Fields() == "0 / 0");
    CHECK(ui.NewReports() == Reports{"0 0"});
  }
}

TEST_CASE("German labels") {
  PageOnHost ui(GERMAN);
  ui.Click(IDC_CUSTOM_SIZE);
  CHECK(ui.Labels() == "0 Bytes, 0 Bytes, 0 Dateien, 0 Dateien");
  ui.ReportSource(5000);
  CHECK(ui.Labels() == "5 Bytes, 5000 Bytes, 1 Datei, 1000 Dateien");
}

TEST_CASE("Enter and Escape in a field leave the page in place") {
  PageOnHost ui;
  StartCustom(ui, 100000);
  HWND edit = GetDlgItem(ui.page.Handle(), IDC_SIZE_EDIT);
  SetFocus(edit);
  for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
    CAPTURE(key);
    MSG message = {edit, WM_KEYDOWN, key, 1, 0, {0, 0}};
    IsDialogMessageA(ui.host.Handle(), &message);
    Pump();
    REQUIRE(IsWindow(ui.page.Handle()));
    CHECK((GetWindowLongA(ui.page.Handle(), GWL_STYLE) & WS_VISIBLE) != 0);
    CHECK(ui.Fields() == "100000 / 1");
  }
}
