#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "reader_stream_builder.h"
#include "reader_test_components.h"
#include "resource_strings.h"

using reader_support::MakeStream;
using reader_support::TDescriptionBuilder;

// --- helpers -------------------------------------------------------------------------

namespace {

void Read(TComponent* root, const std::string& bytes) {
  auto s = MakeStream(bytes);
  TReader reader(*s);
  reader.ReadRootComponent(root);
}

// Reading fails with an EReadError that carries message.
::testing::AssertionResult FailsWith(TComponent* root, const std::string& bytes,
                                     const std::string& message) {
  try {
    Read(root, bytes);
  } catch (const EReadError& e) {
    if (e.Message() == message) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "message \"" << e.Message() << "\"";
  } catch (const std::exception& e) {
    return ::testing::AssertionFailure() << "other exception: " << e.what();
  }
  return ::testing::AssertionFailure() << "no error";
}

// A form "Form1" with one widget "Button1" whose properties the caller writes.
template <class F>
std::string OneWidget(F props) {
  TDescriptionBuilder b;
  b.Signature().Record("TTestForm", "Form1").End();
  b.Record("TTestWidget", "Button1");
  props(b);
  b.End().End().End();
  return b.Bytes();
}

class ReaderTest : public ::testing::Test {
protected:
  void SetUp() override {
    g_loaded.clear();
    baseline_ = g_live;
  }
  void TearDown() override {
    delete form_;
    EXPECT_EQ(g_live, baseline_) << "test objects left alive";
  }
  TTestForm* NewForm() {
    form_ = new TTestForm(nullptr);
    return form_;
  }
  TTestForm* form_ = nullptr;
  int baseline_ = 0;
};

}  // namespace

// --- value primitives ------------------------------------------------------------------

TEST(ReaderPrimitives, IntegersWidenWithSignAndFloatsKeepTheExtendedSignificand) {
  TDescriptionBuilder b;
  b.Int8(-1).Int16(-300).Int32(INT32_MIN).Int8(7)
      .Float(1.0L / 255).Float(-12.25L).Int16(1000)
      .Extended(0x8000000000000000ULL, 0x7FFF);  // infinity
  auto s = MakeStream(b.Bytes());
  TReader r(*s);
  EXPECT_EQ(r.ReadInteger(), -1);
  EXPECT_EQ(r.ReadInteger(), -300);
  EXPECT_EQ(r.ReadInteger(), INT32_MIN);
  EXPECT_EQ(r.NextValue(), vaInt8);  // peeking does not consume
  EXPECT_EQ(r.ReadInteger(), 7);

  long double third = r.ReadFloat();
  EXPECT_EQ(third, 1.0L / 255);
  uint64_t significand = 0;
  std::memcpy(&significand, &third, 8);
  EXPECT_EQ(significand, 0x8080808080808081ULL);
  EXPECT_EQ(r.ReadFloat(), -12.25L);
  EXPECT_EQ(r.ReadFloat(), 1000.0L);  // an integer is a number too
  EXPECT_TRUE(std::isinf(r.ReadFloat()));
}

TEST(ReaderPrimitives, StringsIdentifiersBooleansAndBinaries) {
  TDescriptionBuilder b;
  b.Str("abc").LStr(std::string(300, 'z')).Str("")
      .Ident("clRed").False().True().Nil()
      .True().False()
      .Str("A").Binary(std::string("\0\x01\xFF", 3))
      .List().Str("x").Str("y").End();
  auto s = MakeStream(b.Bytes());
  TReader r(*s);
  EXPECT_EQ(r.ReadString(), "abc");
  EXPECT_EQ(r.ReadString(), std::string(300, 'z'));
  EXPECT_EQ(r.ReadString(), "");
  EXPECT_EQ(r.ReadIdent(), "clRed");
  EXPECT_EQ(r.ReadIdent(), "False");
  EXPECT_EQ(r.ReadIdent(), "True");
  EXPECT_EQ(r.ReadIdent(), "nil");
  EXPECT_TRUE(r.ReadBoolean());
  EXPECT_FALSE(r.ReadBoolean());
  EXPECT_EQ(r.ReadChar(), 'A');
  EXPECT_EQ(r.ReadBinary(), std::string("\0\x01\xFF", 3));
  r.ReadListBegin();
  std::vector<std::string> items;
  while (!r.EndOfList()) items.push_back(r.ReadString());
  r.ReadListEnd();
  EXPECT_EQ(items, (std::vector<std::string>{"x", "y"}));
  EXPECT_THROW(r.NextValue(), EReadError);  // nothing left
}

TEST(ReaderPrimitives, WrongTypesAreInvalidValues) {
  struct Case {
    std::string bytes;
    void (*read)(TReader&);
  };
  auto msg = std::string(res::SInvalidPropertyValue);
  const Case cases[] = {
      {TDescriptionBuilder().Str("1").Bytes(), [](TReader& r) { r.ReadInteger(); }},
      {TDescriptionBuilder().Ident("x").Bytes(), [](TReader& r) { r.ReadString(); }},
      {TDescriptionBuilder().Str("x").Bytes(), [](TReader& r) { r.ReadIdent(); }},
      {TDescriptionBuilder().Int8(1).Bytes(), [](TReader& r) { r.ReadBoolean(); }},
      {TDescriptionBuilder().Str("ab").Bytes(), [](TReader& r) { r.ReadChar(); }},
      {TDescriptionBuilder().LStr("xy").Bytes(), [](TReader& r) { r.ReadBinary(); }},
      {TDescriptionBuilder().Ident("x").Bytes(), [](TReader& r) { r.ReadFloat(); }},
      {TDescriptionBuilder().Str("x").Bytes(), [](TReader& r) { r.ReadListBegin(); }},
      {TDescriptionBuilder().Byte(99).Bytes(), [](TReader& r) { r.SkipValue(); }},
  };
  for (const Case& c : cases) {
    auto s = MakeStream(c.bytes);
    TReader r(*s);
    try {
      c.read(r);
      ADD_FAILURE() << "no error for type " << int(static_cast<uint8_t>(c.bytes[0]));
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), msg);
    }
  }
}

TEST(ReaderPrimitives, TruncatedDataAndHugeLengthsAreReadErrors) {
  const std::string readError = res::SReadError;
  std::vector<std::string> streams = {
      "",                                   // no type byte at all
      std::string("\x03\x01", 2),           // 16-bit integer cut short
      std::string("\x06\x05" "ab", 4),      // short string cut short
      std::string("\x05\x00\x00\x00", 4),   // extended cut short
  };
  // Long strings and binaries claiming up to 4 GB, with only a few bytes behind.
  for (uint32_t len : {0xFFFFFFFFu, 0x7FFFFFFFu, 0x10000000u, 4u}) {
    for (uint8_t type : {uint8_t(vaLString), uint8_t(vaBinary)})
      streams.push_back(TDescriptionBuilder().Byte(type).U32(len).Raw("abc").Bytes());
  }
  for (const std::string& bytes : streams) {
    auto s = MakeStream(bytes);
    TReader r(*s);
    const bool binary = !bytes.empty() && bytes[0] == vaBinary;
    try {
      if (binary)
        r.ReadBinary();
      else if (!bytes.empty() && bytes[0] == vaExtended)
        r.ReadFloat();
      else if (!bytes.empty() && bytes[0] == vaInt16)
        r.ReadInteger();
      else
        r.ReadString();
      ADD_FAILURE() << "no error, " << bytes.size() << " bytes";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), readError);
    }
    // Skipping the same value fails the same way.
    s->SetPosition(0);
    if (!bytes.empty()) {
      EXPECT_THROW(r.SkipValue(), EReadError);
    }
  }
}

TEST(ReaderPrimitives, SkipValuePassesOverEveryTypeAndRefusesDeepNesting) {
  TDescriptionBuilder b;
  b.Int8(1).Int16(2).Int32(3).Float(1.5L).Str("s").Ident("i").False().True().Nil()
      .LStr("long").Binary("bin").Set({"a", "b"})
      .List().Int8(1).List().Str("in").End().End()
      .Collection().Int8(2).List().Prop("Caption").Str("c").End().List().End().End()
      .Str("after");
  auto s = MakeStream(b.Bytes());
  TReader r(*s);
  for (int i = 0; i < 14; ++i) r.SkipValue();
  EXPECT_EQ(r.ReadString(), "after");

  // A million nested lists must not exhaust the stack.
  std::string deep(1000000, static_cast<char>(vaList));
  auto d = MakeStream(deep);
  TReader rd(*d);
  try {
    rd.SkipValue();
    ADD_FAILURE() << "no error";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), std::string(res::SInvalidImage));
  }
}

// --- whole descriptions ------------------------------------------------------------

TEST_F(ReaderTest, EveryValueTypeReachesItsProperty) {
  TTestForm* form = NewForm();
  TDescriptionBuilder b;
  b.Signature().Record("TTestForm", "Form1")
      .Prop("Tag").Int16(-2)
      .Prop("TextHeight").Int8(12)
      .End();
  b.Record("TTestWidget", "Button1")
      .Prop("Left").Int8(-5)
      .Prop("Top").Int16(300)
      .Prop("Width").Int32(70000)
      .Prop("Color").Ident("CLBTNFACE")
      .Prop("Accel").Str("\x83")
      .Prop("Align").Ident("alClient")
      .Prop("Visible").False()
      .Prop("Ratio").Float(0.75L)
      .Prop("Height").Int8(21)
      .Prop("Caption").LStr("\x83\x65\x83\x58\x83\x67")  // CP932 text
      .Prop("Styles").Set({"ssBold", "ssUnderline"})
      .Prop("Font.Height").Int8(-12)
      .Prop("font.name").Str("MS UI Gothic")
      .Prop("Extra").Nil()
      .Prop("OnClick").Ident("ButtonClick")
      .Prop("OnKey").Ident("keypress")
      .Prop("Lines").List().Str("one").LStr("two").End()
      .Prop("Data").Binary(std::string("BM\0\x01", 4))
      .End()
      .End();
  b.End();
  Read(form, b.Bytes());

  EXPECT_EQ(form->Tag(), -2);
  EXPECT_EQ(form->TextHeight, 12);
  TTestWidget* w = form->Button1;  // the published field follows the name
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Owner(), form);
  EXPECT_EQ(w->Parent, nullptr);  // the form is not a widget
  EXPECT_EQ(w->Left, -5);
  EXPECT_EQ(w->Top, 300);
  EXPECT_EQ(w->Width, 70000);
  EXPECT_EQ(static_cast<uint32_t>(w->Color), 0x8000000Fu);
  EXPECT_EQ(w->Accel, '\x83');
  EXPECT_EQ(w->Align, alClient);
  EXPECT_FALSE(w->Visible);
  EXPECT_EQ(w->Ratio, 0.75);
  EXPECT_EQ(w->Caption, "\x83\x65\x83\x58\x83\x67");
  EXPECT_EQ(w->Styles, 0b101u);
  EXPECT_EQ(w->Font->Height, -12);
  EXPECT_EQ(w->Font->Name, "MS UI Gothic");
  EXPECT_EQ(w->Extra, nullptr);
  EXPECT_EQ(w->Lines, (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(w->Data, std::string("BM\0\x01", 4));

  // Events are bound to the form's handlers with the form as their object.
  ASSERT_TRUE(w->OnClick);
  EXPECT_EQ(w->OnClick.Object(), form);
  w->OnClick(w);
  EXPECT_EQ(form->Clicks, std::vector<TObject*>{w});
  char key = 'a';
  w->OnKey(w, key);
  EXPECT_EQ(key, 'X');

  // The component hears of every entry by the name it was stored under.
  EXPECT_EQ(w->PropertiesRead,
            (std::vector<std::string>{"Left", "Top", "Width", "Color", "Accel", "Align",
                                      "Visible", "Ratio", "Height", "Caption", "Styles",
                                      "Font.Height", "font.name", "Extra", "OnClick", "OnKey",
                                      "Lines", "Data"}));
}

TEST_F(ReaderTest, ValuesLeftOutKeepWhatTheConstructorGaveAndNilClearsAnEvent) {
  TTestForm* form = NewForm();
  std::string bytes = OneWidget([](TDescriptionBuilder& b) {
    b.Prop("Ratio").Int8(3).Prop("OnClick").Nil();
  });
  Read(form, bytes);
  TTestWidget* w = form->Button1;
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Ratio, 3.0);
  EXPECT_EQ(w->Width, 50);
  EXPECT_TRUE(w->Visible);
  EXPECT_EQ(w->Font->Height, -11);
  EXPECT_EQ(w->Font->Name, "Default");
  EXPECT_NE(w->Extra, nullptr);
  EXPECT_FALSE(w->OnClick);
  EXPECT_EQ(w->ItemIndex, -1);
}

TEST_F(ReaderTest, MarksWhileReadingAndLoadedInCreationOrder) {
  TTestForm* form = NewForm();
  TDescriptionBuilder b;
  b.Signature().Record("TTestForm", "Form1").End();
  b.Record("TTestWidget", "Panel1").Prop("Caption").Str("p").End();
  b.Record("TTestWidget", "Inner1").Prop("Caption").Str("i").End().End();
  b.End();  // Panel1's children
  b.Record("TTestWidget", "Button1").Prop("Caption").Str("b").End().End();
  b.End();
  Read(form, b.Bytes());

  EXPECT_EQ(g_loaded, (std::vector<std::string>{"Form1", "Panel1", "Inner1", "Button1"}));
  EXPECT_EQ(form->ComponentState() & (csLoading | csReading), 0u);
  ASSERT_EQ(form->ComponentCount(), 3);  // all owned by the form
  for (int i = 0; i < form->ComponentCount(); ++i) {
    auto* w = As<TTestWidget>(form->Components(i));
    EXPECT_TRUE(w->MarkedWhileReading) << w->Name();
    EXPECT_EQ(w->ComponentState() & (csLoading | csReading), 0u) << w->Name();
  }
  auto* panel = As<TTestWidget>(form->FindComponent("Panel1"));
  auto* inner = As<TTestWidget>(form->FindComponent("Inner1"));
  EXPECT_EQ(inner->Parent, panel);
  EXPECT_EQ(panel->Children, std::vector<TTestWidget*>{inner});
}

TEST_F(ReaderTest, ItemIndexStoredBeforeItsItemsSurvivesUntilLoaded) {
  TTestForm* form = NewForm();
  std::string bytes = OneWidget([](TDescriptionBuilder& b) {
    b.Prop("ItemIndex").Int8(1)
        .Prop("Items").Collection()
        .List().Prop("Caption").Str("Move").End()
        .List().Prop("Caption").Str("Copy").End()
        .End();
  });
  Read(form, bytes);
  EXPECT_EQ(form->Button1->Items.Count(), 2);
  EXPECT_EQ(form->Button1->ItemIndex, 1);

  // Outside reading the same setter clamps at once.
  form->Button1->SetItemIndex(5);
  EXPECT_EQ(form->Button1->ItemIndex, 1);
}

TEST_F(ReaderTest, CollectionItemsGoToTheirIndexesAndKeepExistingItems) {
  TTestForm* form = NewForm();
  std::string bytes = OneWidget([](TDescriptionBuilder& b) {
    b.Prop("Items").Collection()
        .Int8(2).List().Prop("Caption").Str("two").Prop("Value").Int8(20).End()
        .List().Prop("Caption").Str("three").End()      // follows index 2
        .Int16(0).List().Prop("Value").Int8(-1).End()
        .End();
  });
  Read(form, bytes);
  auto& items = form->Button1->Items;
  ASSERT_EQ(items.Count(), 4);
  EXPECT_EQ(items.Items(0)->Value, -1);
  EXPECT_EQ(items.Items(1)->Caption, "");
  EXPECT_EQ(items.Items(2)->Caption, "two");
  EXPECT_EQ(items.Items(2)->Value, 20);
  EXPECT_EQ(items.Items(3)->Caption, "three");
  EXPECT_EQ(items.Items(3)->Index(), 3);

  for (int32_t bad : {-1, 0x10000}) {
    TTestForm other(nullptr);
    std::string b2 = OneWidget([bad](TDescriptionBuilder& b) {
      b.Prop("Items").Collection().Int32(bad).List().End().End();
    });
    EXPECT_TRUE(FailsWith(&other, b2, res::SInvalidPropertyValue)) << bad;
  }
}

TEST_F(ReaderTest, BadEntriesStopTheReadingAndLeaveNoComponentBehind) {
  struct Case {
    const char* what;
    void (*props)(TDescriptionBuilder&);
    const char* message;
  };
  const Case cases[] = {
      {"unknown property", [](TDescriptionBuilder& b) { b.Prop("Nope").Int8(1); },
       res::SUnknownProperty},
      {"unknown sub-property", [](TDescriptionBuilder& b) { b.Prop("Font.Nope").Int8(1); },
       res::SUnknownProperty},
      {"unknown path start", [](TDescriptionBuilder& b) { b.Prop("Nope.Height").Int8(1); },
       res::SUnknownProperty},
      {"empty path part", [](TDescriptionBuilder& b) { b.Prop("Font..Height").Int8(1); },
       res::SUnknownProperty},
      {"path through a string", [](TDescriptionBuilder& b) { b.Prop("Caption.Height").Int8(1); },
       res::SInvalidPropertyPath},
      {"path through a reference", [](TDescriptionBuilder& b) { b.Prop("Buddy.Left").Int8(1); },
       res::SInvalidPropertyPath},
      {"path through nil",
       [](TDescriptionBuilder& b) { b.Prop("Extra").Nil().Prop("Extra.Height").Int8(1); },
       res::SInvalidPropertyPath},
      {"read-only integer", [](TDescriptionBuilder& b) { b.Prop("Count").Int8(1); },
       res::SReadOnlyProperty},
      {"read-only object", [](TDescriptionBuilder& b) { b.Prop("Font").Nil(); },
       res::SReadOnlyProperty},
      {"collection into a read-only object",
       [](TDescriptionBuilder& b) {
         b.Prop("FixedItems").Collection().List().Prop("Caption").Str("x").End().End();
       },
       res::SReadOnlyProperty},
      {"unknown handler", [](TDescriptionBuilder& b) { b.Prop("OnClick").Ident("Nope"); },
       res::SInvalidPropertyValue},
      {"handler of another signature",
       [](TDescriptionBuilder& b) { b.Prop("OnKey").Ident("ButtonClick"); },
       res::SInvalidPropertyValue},
      {"handler given as a string",
       [](TDescriptionBuilder& b) { b.Prop("OnClick").Str("ButtonClick"); },
       res::SInvalidPropertyValue},
      {"unknown set element", [](TDescriptionBuilder& b) { b.Prop("Styles").Set({"ssBold", "ssNope"}); },
       res::SInvalidPropertyValue},
      {"unknown enumeration value", [](TDescriptionBuilder& b) { b.Prop("Align").Ident("alLeft"); },
       res::SInvalidPropertyValue},
      {"Boolean from an integer", [](TDescriptionBuilder& b) { b.Prop("Visible").Int8(1); },
       res::SInvalidPropertyValue},
      {"unknown colour name", [](TDescriptionBuilder& b) { b.Prop("Color").Ident("clNope"); },
       res::SInvalidPropertyValue},
      {"identifier without a map", [](TDescriptionBuilder& b) { b.Prop("Left").Ident("clRed"); },
       res::SInvalidPropertyValue},
      {"integer from a string", [](TDescriptionBuilder& b) { b.Prop("Left").Str("1"); },
       res::SInvalidPropertyValue},
      {"character of two bytes", [](TDescriptionBuilder& b) { b.Prop("Accel").Str("ab"); },
       res::SInvalidPropertyValue},
      {"string from an identifier", [](TDescriptionBuilder& b) { b.Prop("Caption").Ident("x"); },
       res::SInvalidPropertyValue},
      {"collection into a plain object", [](TDescriptionBuilder& b) { b.Prop("Extra").Collection().End(); },
       res::SInvalidPropertyValue},
      {"binary defined property", [](TDescriptionBuilder& b) { b.Prop("Data").LStr("x"); },
       res::SInvalidPropertyValue},
      {"reference from a number", [](TDescriptionBuilder& b) { b.Prop("Buddy").Int8(1); },
       res::SInvalidPropertyValue},
      {"setter's own error", [](TDescriptionBuilder& b) { b.Prop("Fail").Int8(-1); }, "negative"},
      {"value cut off", [](TDescriptionBuilder& b) { b.Prop("Left").Byte(vaInt32).Byte(1); },
       res::SReadError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g_loaded.clear();
    TTestForm form(nullptr);
    TDescriptionBuilder b;
    b.Signature().Record("TTestForm", "Form1").End();
    // A complete sibling first: it must go as well.
    b.Record("TTestWidget", "Button2").Prop("Left").Int8(1).End().End();
    b.Record("TTestWidget", "Button1");
    c.props(b);
    b.Prop("Left").Int8(2).End().End().End();
    EXPECT_TRUE(FailsWith(&form, b.Bytes(), c.message));
    EXPECT_EQ(form.ComponentCount(), 0);
    EXPECT_EQ(form.Button1, nullptr);
    EXPECT_TRUE(g_loaded.empty());
    EXPECT_EQ(form.ComponentState() & (csLoading | csReading), 0u);
    EXPECT_EQ(g_live, baseline_ + 1);  // only the form itself
  }
}

TEST_F(ReaderTest, MissingClassesAndSignaturesAndOutOfMemory) {
  TTestForm* form = NewForm();
  TDescriptionBuilder b;
  b.Signature().Record("TTestForm", "Form1").End();
  b.Record("TTestWidget", "Panel1").End();
  b.Record("TNoSuchClass", "X1").End().End();
  b.End().End();
  try {
    Read(form, b.Bytes());
    ADD_FAILURE() << "no error";
  } catch (const EClassNotFound& e) {
    EXPECT_EQ(e.Message(), Format(res::SClassNotFound, "TNoSuchClass"));
  }
  EXPECT_EQ(form->ComponentCount(), 0);

  // A registered class without a constructor by name is not found either.
  std::string font = TDescriptionBuilder().Signature().Record("TTestForm", "Form1").End()
                         .Record("TTestFont", "F1").End().End().End().Bytes();
  EXPECT_TRUE(FailsWith(form, font, Format(res::SClassNotFound, "TTestFont")));

  // Anything but "TPF0" in front is not a description; the root is untouched.
  form->SetName("Before");
  for (std::string bad : {std::string("TPF1"), std::string("TP"), std::string()}) {
    std::string bytes = bad + b.Bytes().substr(4);
    EXPECT_TRUE(FailsWith(form, bytes, res::SInvalidImage)) << bad;
    EXPECT_EQ(form->Name(), "Before");
  }

  // Running out of memory is not a description error and passes unchanged.
  std::string oom = OneWidget([](TDescriptionBuilder& b) { b.Prop("Fail").Int16(999); });
  EXPECT_THROW(Read(form, oom), std::bad_alloc);
  EXPECT_EQ(form->ComponentCount(), 0);
}

TEST_F(ReaderTest, ReferencesResolveAfterReadingByPlainAndOwnerQualifiedNames) {
  // Another window that "Form2.Edit1" refers to.
  TTestForm other(nullptr);
  other.SetName("Form2");
  auto* edit = new TTestWidget(&other);
  edit->SetName("Edit1");
  TFindGlobalComponent previous = SetFindGlobalComponent(
      [&other](const std::string& name) -> TComponent* {
        return SameTextAscii(name, other.Name()) ? &other : nullptr;
      });

  TTestForm* form = NewForm();
  TDescriptionBuilder b;
  b.Signature().Record("TTestForm", "Form1").End();
  b.Record("TTestWidget", "Button1").Prop("Buddy").Ident("Button2").End().End();  // declared later
  b.Record("TTestWidget", "Button2").Prop("Buddy").Ident("Form2.Edit1").End().End();
  b.Record("TTestWidget", "Button3").Prop("Buddy").Ident("Form1.Button1").End().End();
  b.Record("TTestWidget", "Button4").Prop("Buddy").Ident("Button1").Prop("Buddy").Nil().End().End();
  // Stored as the false and true values, a reference names "False" and "True".
  b.Record("TTestWidget", "False").Prop("Buddy").True().End().End();
  b.Record("TTestWidget", "True").Prop("Buddy").False().End().End();
  b.End();
  Read(form, b.Bytes());
  auto find = [form](const char* n) { return As<TTestWidget>(form->FindComponent(n)); };
  EXPECT_EQ(find("False")->Buddy, find("True"));
  EXPECT_EQ(find("True")->Buddy, find("False"));
  EXPECT_EQ(find("Button1")->Buddy, find("Button2"));
  EXPECT_EQ(find("Button2")->Buddy, edit);
  EXPECT_EQ(find("Button3")->Buddy, find("Button1"));
  // Resolution comes after reading and after Loaded, so a later nil does
  // not undo it.
  EXPECT_EQ(find("Button4")->Buddy, find("Button1"));
  EXPECT_EQ(find("Button1")->BuddyWhenLoaded, nullptr);

  // Unknown names and names of the wrong class stop the reading.
  auto withBuddy = [](const char* ref) {
    TDescriptionBuilder b;
    b.Signature().Record("TTestForm", "Form3").End();
    b.Record("TTestOther", "Other1").End().End();
    b.Record("TTestWidget", "Button1").Prop("Buddy").Ident(ref).End().End();
    b.End();
    return b.Bytes();
  };
  for (const char* ref : {"Nobody", "Form2.Nobody", "Form9.Edit1", ".Edit1"}) {
    TTestForm f(nullptr);
    EXPECT_TRUE(FailsWith(&f, withBuddy(ref), Format(res::SUnresolvedReference, ref))) << ref;
    EXPECT_EQ(f.ComponentCount(), 0) << ref;
  }
  TTestForm f(nullptr);
  EXPECT_TRUE(FailsWith(&f, withBuddy("Other1"), res::SInvalidPropertyValue));

  SetFindGlobalComponent(previous);
  // Without a finder only the root's own name works as an owner.
  TTestForm g(nullptr);
  EXPECT_TRUE(FailsWith(&g, withBuddy("Form2.Edit1"), Format(res::SUnresolvedReference, "Form2.Edit1")));
}

TEST_F(ReaderTest, ChildPositionsAndNesting) {
  TTestForm* form = NewForm();
  TDescriptionBuilder b;
  b.Signature().Record("TTestForm", "Form1").End();
  b.Record("TTestWidget", "Panel1").End();
  b.Record("TTestWidget", "A").End().End();
  b.Record("TTestWidget", "B").End().End();
  b.Prefix(ffChildPos).Int8(0).Record("TTestWidget", "C").End().End();
  b.Prefix(ffChildPos).Int16(1).Record("TTestWidget", "D").End().End();
  b.End().End();
  Read(form, b.Bytes());
  auto* panel = As<TTestWidget>(form->FindComponent("Panel1"));
  std::vector<std::string> order;
  for (TTestWidget* c : panel->Children) order.push_back(c->Name());
  EXPECT_EQ(order, (std::vector<std::string>{"C", "D", "A", "B"}));
  // Creation order is kept for ownership and Loaded.
  EXPECT_EQ(form->Components(3)->Name(), "C");
  EXPECT_EQ(g_loaded, (std::vector<std::string>{"Form1", "Panel1", "A", "B", "C", "D"}));
}

TEST_F(ReaderTest, InheritedRecordsReuseTheExistingComponent) {
  auto* form = new TTestInheritedForm(nullptr);
  form_ = form;
  TTestWidget* base = form->Base;
  TDescriptionBuilder b;
  b.Signature().Prefix(ffInherited).Record("TTestInheritedForm", "Form1").End();
  b.Prefix(ffInherited).Record("TTestWidget", "Base1").Prop("Caption").Str("kept").End();
  b.Record("TTestWidget", "Child1").End().End();
  b.End();
  b.End();
  Read(form, b.Bytes());
  EXPECT_EQ(form->ComponentCount(), 2);
  EXPECT_EQ(form->Base, base);
  EXPECT_EQ(base->Caption, "kept");
  EXPECT_TRUE(base->MarkedWhileReading);
  ASSERT_EQ(base->Children.size(), 1u);
  EXPECT_EQ(base->Children[0]->Name(), "Child1");
  EXPECT_EQ(g_loaded, (std::vector<std::string>{"Form1", "Base1", "Child1"}));

  // A failure later on leaves the inherited component, unmarked.
  TDescriptionBuilder bad;
  bad.Signature().Record("TTestInheritedForm", "Form1").End();
  bad.Prefix(ffInherited).Record("TTestWidget", "Base1").Prop("Caption").Str("x").End().End();
  bad.Prefix(ffInherited).Record("TTestWidget", "Missing1").End().End();
  bad.End();
  EXPECT_TRUE(FailsWith(form, bad.Bytes(), Format(res::SAncestorNotFound, "Missing1")));
  EXPECT_EQ(form->Base, base);
  EXPECT_EQ(base->ComponentState() & (csLoading | csReading), 0u);
  EXPECT_EQ(form->ComponentCount(), 2);
}

TEST_F(ReaderTest, RootNamesAreMadeUniqueAmongTheOwnersComponents) {
  TComponent app(nullptr);
  std::string bytes =
      TDescriptionBuilder().Signature().Record("TTestForm", "Form1").End().End().Bytes();
  std::vector<std::unique_ptr<TTestForm>> forms;
  for (int i = 0; i < 3; ++i) {
    forms.push_back(std::make_unique<TTestForm>(&app));
    Read(forms.back().get(), bytes);
  }
  EXPECT_EQ(forms[0]->Name(), "Form1");
  EXPECT_EQ(forms[1]->Name(), "Form1_1");
  EXPECT_EQ(forms[2]->Name(), "Form1_2");
  // Reading again into the same window keeps its name.
  Read(forms[0].get(), bytes);
  EXPECT_EQ(forms[0]->Name(), "Form1");
  forms[1].reset();
  auto again = std::make_unique<TTestForm>(&app);
  Read(again.get(), bytes);
  EXPECT_EQ(again->Name(), "Form1_1");

  // Names that are not identifiers, and duplicate control names, are errors.
  TTestForm f(nullptr);
  std::string badRoot =
      TDescriptionBuilder().Signature().Record("TTestForm", "1Form").End().End().Bytes();
  EXPECT_TRUE(FailsWith(&f, badRoot, Format(res::SInvalidName, "1Form")));
  TDescriptionBuilder dup;
  dup.Signature().Record("TTestForm", "Form1").End();
  dup.Record("TTestWidget", "Button1").End().End();
  dup.Record("TTestWidget", "button1").End().End();
  dup.End();
  EXPECT_TRUE(FailsWith(&f, dup.Bytes(), Format(res::SDuplicateName, "button1")));
  EXPECT_EQ(f.ComponentCount(), 0);
}

TEST_F(ReaderTest, AFailureInANestedRecordRemovesTheWholeDescriptionsWork) {
  // A watcher outside the form is told of every component that goes.
  struct Watcher : TComponent {
    Watcher() : TComponent(nullptr) {}
    std::vector<std::string> gone;
    void Notification(TComponent* c, TOperation op) override {
      if (op == TOperation::opRemove) gone.push_back(c->Name());
    }
  } watcher;
  struct WatchedForm : TTestForm {
    explicit WatchedForm(TComponent* w) : TTestForm(nullptr), watcher(w) {}
    void Notification(TComponent* c, TOperation op) override {
      TTestForm::Notification(c, op);
      if (op == TOperation::opInsert) watcher->FreeNotification(c);
    }
    TComponent* watcher;
  } form(&watcher);

  TDescriptionBuilder b;
  b.Signature().Record("TTestForm", "Form1").End();
  b.Record("TTestWidget", "Panel1").End();
  b.Record("TTestWidget", "Done1").End().End();  // complete before the failure
  b.Record("TTestWidget", "Bad1").Prop("Nope").Int8(0).End().End();
  b.End().End();
  b.End();
  EXPECT_TRUE(FailsWith(&form, b.Bytes(), res::SUnknownProperty));
  // Each failing record's own component goes as the error passes through it,
  // then whatever else the description made.
  EXPECT_EQ(watcher.gone, (std::vector<std::string>{"Bad1", "Panel1", "Done1"}));
  EXPECT_EQ(form.ComponentCount(), 0);
}
