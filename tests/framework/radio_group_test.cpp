#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "application.h"
#include "description_reader.h"
#include "forms.h"
#include "radio_group.h"
#include "reader_stream_builder.h"

using namespace orlo;
using reader_support::MakeStream;
using reader_support::TDescriptionBuilder;

// While a quarantine is open, freed blocks are filled with a pattern and
// kept instead of given back, so that a write into an object after its
// destruction shows when the quarantine is closed.
namespace quarantine {
constexpr size_t kHeader = 16;
constexpr unsigned char kFill = 0xDD;
struct Block {
  unsigned char* p;
  size_t n;
};
bool open = false;
Block kept[8192];
int count = 0;

void Open() {
  count = 0;
  open = true;
}
// Closes the quarantine, gives the blocks back and counts those written to.
int Close() {
  open = false;
  int dirty = 0;
  for (int i = 0; i < count; ++i) {
    for (size_t j = 0; j < kept[i].n; ++j)
      if (kept[i].p[kHeader + j] != kFill) {
        ++dirty;
        break;
      }
    std::free(kept[i].p);
  }
  count = 0;
  return dirty;
}
}  // namespace quarantine

void* operator new(size_t n) {
  auto* raw = static_cast<unsigned char*>(std::malloc(n + quarantine::kHeader));
  if (!raw) throw std::bad_alloc();
  std::memcpy(raw, &n, sizeof n);
  return raw + quarantine::kHeader;
}
namespace quarantine {
void Release(void* p) {
  if (!p) return;
  unsigned char* raw = static_cast<unsigned char*>(p) - quarantine::kHeader;
  size_t n;
  std::memcpy(&n, raw, sizeof n);
  if (quarantine::open && quarantine::count < 8192) {
    std::memset(p, quarantine::kFill, n);
    quarantine::kept[quarantine::count++] = {raw, n};
    return;
  }
  std::free(raw);
}
}  // namespace quarantine
void operator delete(void* p) noexcept { quarantine::Release(p); }
void operator delete(void* p, size_t) noexcept { quarantine::Release(p); }

namespace {

// The text-metric height of a font on the screen.
int MetricHeight(TFont* font) {
  TScreenCanvas c;
  c.SetFont(font);
  TEXTMETRICA tm{};
  GetTextMetricsA(c.Handle(), &tm);
  return tm.tmHeight;
}

struct Events : TObject {
  int clicks = 0;
  int itemIndexSeen = -2;
  TRadioGroup* group = nullptr;
  std::string keys;
  bool throwOnClick = false;
  bool clickAgain = false;
  bool clearItems = false;
  void Click(TObject*) {
    ++clicks;
    if (group) itemIndexSeen = group->ItemIndex();
    if (clearItems) group->Items()->Clear();  // takes the clicked button with it
    if (throwOnClick) throw Exception("click failed");
    if (clickAgain && clicks == 1) {
      // Clears the choice, then the same button reports a click again
      // before this one is over.
      group->SetItemIndex(-1);
      TGroupButton* b = group->Buttons(1);
      group->Perform(WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(b->Handle()));
    }
  }
  void KeyPress(TObject*, char& key) { keys += key; }
  void KeyDown(TObject*, uint16_t& key, TShiftState) { keys += "<" + std::to_string(key) + ">"; }
};

struct Reported : TObject {
  int count = 0;
  TObject* sender = nullptr;
  std::string message;
  void Report(TObject* s, const std::exception_ptr& e) {
    ++count;
    sender = s;
    try {
      std::rethrow_exception(e);
    } catch (const Exception& ex) {
      message = ex.Message();
    }
  }
};

class RadioGroupTest : public ::testing::Test {
protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(40, 40, 300, 200);
    group = new TRadioGroup(form);
    group->SetParent(form);
    group->SetBounds(144, 64, 89, 81);
    group->Font()->SetStyle(TFontStyles{fsBold});
    events.group = group;
    group->OnClick = TNotifyEvent(&events, &Events::Click);
  }
  void TearDown() override { form->Free(); }
  void MoveCopy() {
    group->Items()->Add("Move");
    group->Items()->Add("Copy");
  }
  void ShowForm() {
    form->Show();
    Application->ProcessMessages();
  }

  TForm* form = nullptr;
  TRadioGroup* group = nullptr;
  Events events;
};

}  // namespace

TEST_F(RadioGroupTest, NewGroupDefaults) {
  TRadioGroup g(nullptr);
  EXPECT_EQ(g.Width(), 185);
  EXPECT_EQ(g.Height(), 105);
  EXPECT_EQ(g.ItemIndex(), -1);
  EXPECT_EQ(g.Columns(), 1);
  EXPECT_EQ(g.ButtonCount(), 0);
  EXPECT_TRUE(g.ControlStyle() & csAcceptsControls);
}

TEST_F(RadioGroupTest, ButtonsAreLaidOutFromTheFontHeight) {
  MoveCopy();
  ASSERT_EQ(group->ButtonCount(), 2);
  const int h = MetricHeight(group->Font());
  const int height = (76 - h) / 2;
  const int top = h + 1 + ((76 - h) % 2) / 2;
  EXPECT_EQ(group->Buttons(0)->BoundsRect(), Bounds(8, top, 79, height));
  EXPECT_EQ(group->Buttons(1)->BoundsRect(), Bounds(8, top + height, 79, height));
  EXPECT_EQ(group->Buttons(0)->Caption(), "Move");
  EXPECT_EQ(group->Buttons(1)->Caption(), "Copy");
  EXPECT_TRUE(group->Buttons(0)->Visible());
  EXPECT_FALSE(group->Buttons(0)->ParentShowHint());
  EXPECT_EQ(group->Buttons(0)->Owner(), group);
  EXPECT_EQ(group->Buttons(0)->Parent(), group);

  // A bigger font and a new size arrange them again.
  group->Font()->SetHeight(-20);
  const int h2 = MetricHeight(group->Font());
  ASSERT_NE(h2, h);
  group->SetBounds(144, 64, 121, 101);
  const int room = 101 - h2 - 5;
  EXPECT_EQ(group->Buttons(1)->BoundsRect(),
            Bounds(8, h2 + 1 + (room % 2) / 2 + room / 2, 111, room / 2));

  // Columns fill from top to bottom, then left to right.
  for (const char* s : {"c", "d", "e"}) group->Items()->Add(s);
  group->SetColumns(2);
  const int perColumn = 3, width = (121 - 10) / 2, rowHeight = room / perColumn;
  const int top2 = h2 + 1 + (room % perColumn) / 2;
  EXPECT_EQ(group->Buttons(2)->BoundsRect(), Bounds(8, top2 + 2 * rowHeight, width, rowHeight));
  EXPECT_EQ(group->Buttons(3)->BoundsRect(), Bounds(8 + width, top2, width, rowHeight));
  EXPECT_EQ(group->Buttons(4)->BoundsRect(),
            Bounds(8 + width, top2 + rowHeight, width, rowHeight));
  group->SetColumns(0);
  EXPECT_EQ(group->Columns(), 1);
  EXPECT_EQ(group->Buttons(4)->Left(), 8);
  group->SetColumns(40);
  EXPECT_EQ(group->Columns(), 16);
}

TEST_F(RadioGroupTest, ItemIndexIsClampedAndFollowsTheItems) {
  MoveCopy();
  group->SetItemIndex(5);
  EXPECT_EQ(group->ItemIndex(), 1);
  EXPECT_TRUE(group->Buttons(1)->Checked());
  EXPECT_FALSE(group->Buttons(0)->Checked());
  group->SetItemIndex(0);
  EXPECT_TRUE(group->Buttons(0)->Checked());
  EXPECT_FALSE(group->Buttons(1)->Checked());
  group->SetItemIndex(-7);
  EXPECT_EQ(group->ItemIndex(), -1);
  EXPECT_FALSE(group->Buttons(0)->Checked());
  EXPECT_FALSE(group->Buttons(1)->Checked());

  // Removing the checked item moves the choice to the new last one.
  group->Items()->Add("Link");
  group->SetItemIndex(2);
  group->Items()->Delete(2);
  EXPECT_EQ(group->ButtonCount(), 2);
  EXPECT_EQ(group->ItemIndex(), 1);
  EXPECT_TRUE(group->Buttons(1)->Checked());
  group->Items()->Clear();
  EXPECT_EQ(group->ButtonCount(), 0);
  EXPECT_EQ(group->ItemIndex(), -1);
  group->SetItemIndex(0);
  EXPECT_EQ(group->ItemIndex(), -1);

  // Changed texts reach the buttons without making new ones.
  MoveCopy();
  TGroupButton* first = group->Buttons(0);
  group->Items()->SetStrings(0, "Shift");
  EXPECT_EQ(group->Buttons(0), first);
  EXPECT_EQ(first->Caption(), "Shift");
}

TEST_F(RadioGroupTest, ItemIndexReadBeforeItemsChecksTheRightButton) {
  group->SetState(csLoading | csReading);
  group->SetItemIndex(1);
  EXPECT_EQ(group->ItemIndex(), 1);  // kept as it is while reading
  MoveCopy();
  EXPECT_EQ(group->ButtonCount(), 0);
  group->ClearState(csReading);
  group->Loaded();
  ASSERT_EQ(group->ButtonCount(), 2);
  EXPECT_EQ(group->ItemIndex(), 1);
  EXPECT_TRUE(group->Buttons(1)->Checked());
  EXPECT_EQ(events.clicks, 0);  // the group's own update is not a click

  // The same through a description, as the main window stores its group.
  TDescriptionBuilder b;
  b.Signature().Record("TForm", "Form1").End();
  b.Record("TRadioGroup", "RadioGroup1")
      .Prop("Left").Int(144).Prop("Top").Int(64).Prop("Width").Int(89).Prop("Height").Int(81)
      .Prop("ItemIndex").Int(1)
      .Prop("Font.Style").Set({"fsBold"})
      .Prop("Items.Strings").List().Str("Move").Str("Copy").End()
      .Prop("TabOrder").Int(0)
      .End().End();
  b.End();
  TForm* read = new TForm(nullptr);
  auto stream = MakeStream(b.Bytes());
  read->ReadDescription(*stream);
  auto* g = Cast<TRadioGroup>(read->FindComponent("RadioGroup1"));
  ASSERT_NE(g, nullptr);
  ASSERT_EQ(g->ButtonCount(), 2);
  EXPECT_EQ(g->ItemIndex(), 1);
  EXPECT_TRUE(g->Buttons(1)->Checked());
  EXPECT_FALSE(g->Buttons(0)->Checked());
  const int h = MetricHeight(g->Font());
  EXPECT_EQ(g->Buttons(1)->Top(), h + 1 + ((76 - h) % 2) / 2 + (76 - h) / 2);
  read->Free();
}

TEST_F(RadioGroupTest, AStoredItemIndexOutsideTheItemsIsKeptUntilItIsSet) {
  // Reading keeps what the description stores; only the setter clamps.
  auto readGroup = [](int32_t stored) {
    TDescriptionBuilder b;
    b.Signature().Record("TForm", "Form1").End();
    b.Record("TRadioGroup", "RadioGroup1")
        .Prop("ItemIndex").Int(stored)
        .Prop("Items.Strings").List().Str("Move").Str("Copy").End()
        .End().End();
    b.End();
    TForm* form = new TForm(nullptr);
    auto stream = MakeStream(b.Bytes());
    form->ReadDescription(*stream);
    return form;
  };
  for (int32_t stored : {-5, 5}) {
    TForm* form = readGroup(stored);
    auto* g = Cast<TRadioGroup>(form->FindComponent("RadioGroup1"));
    ASSERT_NE(g, nullptr);
    ASSERT_EQ(g->ButtonCount(), 2);
    EXPECT_EQ(g->ItemIndex(), stored);
    EXPECT_FALSE(g->Buttons(0)->Checked()) << stored;
    EXPECT_FALSE(g->Buttons(1)->Checked()) << stored;
    // Set afterwards, the value is clamped and its button checked.
    g->SetItemIndex(stored);
    EXPECT_EQ(g->ItemIndex(), stored < 0 ? -1 : 1);
    EXPECT_EQ(g->Buttons(1)->Checked(), stored > 0);
    form->Free();
  }
}

TEST_F(RadioGroupTest, ClickingCopyChoosesItOnce) {
  MoveCopy();
  group->SetItemIndex(0);
  events.clicks = 0;
  ShowForm();
  EXPECT_EQ(SendMessageA(group->Buttons(0)->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);

  SendMessageA(group->Buttons(1)->Handle(), BM_CLICK, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(group->ItemIndex(), 1);
  EXPECT_EQ(events.clicks, 1);
  EXPECT_EQ(events.itemIndexSeen, 1);  // the handler already sees the new choice
  EXPECT_EQ(SendMessageA(group->Buttons(1)->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(group->Buttons(0)->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);

  // The mouse on "Move".
  TGroupButton* move = group->Buttons(0);
  LPARAM at = MAKELPARAM(5, move->Height() / 2);
  SendMessageA(move->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(move->Handle(), WM_LBUTTONUP, 0, at);
  Application->ProcessMessages();
  EXPECT_EQ(group->ItemIndex(), 0);
  EXPECT_EQ(events.clicks, 2);

  // Choosing in code checks the button the same way and tells the handler.
  group->SetItemIndex(1);
  EXPECT_EQ(events.clicks, 3);
  group->SetItemIndex(1);
  EXPECT_EQ(events.clicks, 3);
}

TEST_F(RadioGroupTest, AFailingClickHandlerIsReported) {
  MoveCopy();
  ShowForm();
  Reported reported;
  Application->OnException = TExceptionEvent(&reported, &Reported::Report);
  events.throwOnClick = true;
  SendMessageA(group->Buttons(1)->Handle(), BM_CLICK, 0, 0);
  Application->ProcessMessages();
  Application->OnException = TExceptionEvent();
  EXPECT_EQ(reported.count, 1);
  EXPECT_EQ(reported.sender, group->Buttons(1));
  EXPECT_EQ(reported.message, "click failed");
  EXPECT_EQ(group->ItemIndex(), 1);

  // The button handles the next click normally.
  events.throwOnClick = false;
  SendMessageA(group->Buttons(0)->Handle(), BM_CLICK, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(group->ItemIndex(), 0);
}

TEST_F(RadioGroupTest, AClickArrivingDuringTheLastOneIsDropped) {
  MoveCopy();
  ShowForm();
  events.clickAgain = true;
  SendMessageA(group->Buttons(1)->Handle(), BM_CLICK, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(events.clicks, 1);
  EXPECT_EQ(group->ItemIndex(), -1);
  EXPECT_FALSE(group->Buttons(1)->Checked());
  // Once it is over, the button listens again.
  events.clickAgain = false;
  group->Perform(WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                 reinterpret_cast<LPARAM>(group->Buttons(1)->Handle()));
  EXPECT_EQ(group->ItemIndex(), 1);
  EXPECT_EQ(events.clicks, 2);
}

TEST_F(RadioGroupTest, AClickHandlerMayRemoveTheClickedButton) {
  MoveCopy();
  ShowForm();
  Reported reported;
  Application->OnException = TExceptionEvent(&reported, &Reported::Report);
  events.clearItems = true;
  // The platform's click notification, as the group's window receives it.
  auto notifyClick = [&](TGroupButton* b) {
    SendMessageA(group->Handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                 reinterpret_cast<LPARAM>(b->Handle()));
    Application->ProcessMessages();
  };
  quarantine::Open();
  notifyClick(group->Buttons(1));
  EXPECT_EQ(quarantine::Close(), 0) << "a freed object was written to";
  EXPECT_EQ(events.clicks, 1);
  EXPECT_EQ(group->ButtonCount(), 0);
  EXPECT_EQ(group->ItemIndex(), -1);

  // The same with a handler that fails afterwards: reported without the
  // button that is gone.
  MoveCopy();
  events.throwOnClick = true;
  quarantine::Open();
  notifyClick(group->Buttons(0));
  EXPECT_EQ(quarantine::Close(), 0) << "a freed object was written to";
  Application->OnException = TExceptionEvent();
  EXPECT_EQ(reported.count, 1);
  EXPECT_EQ(reported.sender, nullptr);
  EXPECT_EQ(reported.message, "click failed");
  EXPECT_EQ(group->ButtonCount(), 0);
}

TEST_F(RadioGroupTest, EnabledAndKeysReachTheButtons) {
  MoveCopy();
  group->SetEnabled(false);
  ShowForm();
  for (int i = 0; i < 2; ++i) {
    EXPECT_FALSE(group->Buttons(i)->Enabled());
    EXPECT_FALSE(IsWindowEnabled(group->Buttons(i)->Handle()));
  }
  // A button made while the group is disabled starts disabled.
  group->Items()->Add("Link");
  EXPECT_FALSE(group->Buttons(2)->Enabled());
  group->SetEnabled(true);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(group->Buttons(i)->Enabled());
    EXPECT_TRUE(IsWindowEnabled(group->Buttons(i)->Handle()));
  }

  group->OnKeyPress = TKeyPressEvent(&events, &Events::KeyPress);
  group->OnKeyDown = TKeyEvent(&events, &Events::KeyDown);
  SendMessageA(group->Buttons(1)->Handle(), WM_KEYDOWN, 'X', 1);
  SendMessageA(group->Buttons(1)->Handle(), WM_CHAR, 'x', 1);
  EXPECT_EQ(events.keys, "<88>x");
}
