#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "class_builder.h"
#include "collections.h"
#include "components.h"
#include "resource_strings.h"

using namespace orlo;

namespace {
std::vector<std::string> g_destroyed;
}

class TPart : public TComponent {
  ORLO_CLASS(TPart)
  explicit TPart(TComponent* owner, const std::string& name = "") : TComponent(owner) {
    if (!name.empty()) SetName(name);
  }
  ~TPart() override {
    BeginDestruction();
    g_destroyed.push_back(Name());
  }
  // A reference kept up to date through free notifications.
  TComponent* Peer = nullptr;
  void SetPeer(TComponent* c) {
    if (Peer) Peer->RemoveFreeNotification(this);
    Peer = c;
    if (c) c->FreeNotification(this);
  }
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == TOperation::opRemove && c == Peer) Peer = nullptr;
  }
  void Click(TObject* sender) { Clicked.push_back(sender); }
  void Other(TObject* sender) {}
  std::vector<TObject*> Clicked;
};
ORLO_DEFINE_CLASS(TPart, TComponent) {
  p.Method("Click", &TPart::Click);
}

class TOtherPart : public TComponent {
  ORLO_CLASS(TOtherPart)
  using TComponent::TComponent;
};
ORLO_DEFINE_CLASS(TOtherPart, TComponent) {}

// A window-like owner with a published field for its part "Label1".
class TOwnerForm : public TComponent {
  ORLO_CLASS(TOwnerForm)
  using TComponent::TComponent;
  TPart* Label1 = nullptr;
};
ORLO_DEFINE_CLASS(TOwnerForm, TComponent) {
  p.Field("Label1", &TOwnerForm::Label1);
}

TEST(Ownership, AnOwnerDestroysItsComponentsLatestFirst) {
  g_destroyed.clear();
  auto* owner = new TPart(nullptr, "Owner");
  new TPart(owner, "A");
  auto* b = new TPart(owner, "B");
  new TPart(b, "B1");
  new TPart(owner, "C");
  ASSERT_EQ(owner->ComponentCount(), 3);
  EXPECT_EQ(b->ComponentIndex(), 1);
  EXPECT_EQ(owner->FindComponent("b"), b);
  EXPECT_THROW(owner->Components(3), EListError);

  // A component destroyed on its own leaves its owner's list. (Each logs
  // before its own components go.)
  b->Free();
  EXPECT_EQ(g_destroyed, (std::vector<std::string>{"B", "B1"}));
  EXPECT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(owner->FindComponent("B"), nullptr);

  g_destroyed.clear();
  owner->Free();
  EXPECT_EQ(g_destroyed, (std::vector<std::string>{"Owner", "C", "A"}));
}

TEST(Ownership, InsertingElsewhereMovesTheComponent) {
  TPart first(nullptr, "First"), second(nullptr, "Second");
  auto* part = new TPart(&first, "X");
  second.InsertComponent(part);
  EXPECT_EQ(part->Owner(), &second);
  EXPECT_EQ(first.ComponentCount(), 0);
  EXPECT_EQ(second.ComponentCount(), 1);
  // A name already taken in the new owner is refused.
  auto* twin = new TPart(nullptr, "x");
  EXPECT_THROW(second.InsertComponent(twin), EComponentError);
  EXPECT_EQ(twin->Owner(), nullptr);
  delete twin;
}

TEST(FreeNotification, ReferencesAreClearedWhenTheTargetGoes) {
  TPart holder(nullptr, "Holder");
  auto* target = new TPart(nullptr, "Target");
  holder.SetPeer(target);
  target->Free();
  EXPECT_EQ(holder.Peer, nullptr);

  // Withdrawn interest: no notification (and no access to a dead holder).
  auto* t2 = new TPart(nullptr, "T2");
  auto* h2 = new TPart(nullptr, "H2");
  h2->SetPeer(t2);
  h2->SetPeer(nullptr);
  holder.SetPeer(t2);
  delete h2;
  t2->Free();
  EXPECT_EQ(holder.Peer, nullptr);

  // The holder going first leaves nothing behind in the target.
  auto* t3 = new TPart(nullptr, "T3");
  {
    TPart shortLived(nullptr, "Short");
    shortLived.SetPeer(t3);
  }
  t3->Free();  // would touch the dead holder if it were still registered

  // Components of one owner hear of each other's removal.
  TPart owner(nullptr, "Owner");
  auto* a = new TPart(&owner, "A");
  auto* b = new TPart(&owner, "B");
  a->Peer = b;  // no free notification asked for
  b->Free();
  EXPECT_EQ(a->Peer, nullptr);
}

TEST(ComponentNames, InvalidAndDuplicateNamesAreRefusedWithTheCatalogueMessage) {
  TPart owner(nullptr, "Owner");
  auto* a = new TPart(&owner, "Button1");
  auto* b = new TPart(&owner);
  for (const char* bad : {"1Button", "Button 1", "Bu-tton", "\x83\x65"}) {
    try {
      b->SetName(bad);
      ADD_FAILURE() << bad;
    } catch (const EComponentError& e) {
      EXPECT_EQ(e.Message(), Format(res::SInvalidName, bad));
    }
  }
  try {
    b->SetName("BUTTON1");
    ADD_FAILURE() << "duplicate accepted";
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), Format(res::SDuplicateName, "BUTTON1"));
  }
  EXPECT_EQ(b->Name(), "");
  a->SetName("Button1");  // its own name again
  b->SetName("_Button2");
  a->SetName("");         // no name at all is allowed
  TPart elsewhere(nullptr, "Elsewhere");
  new TPart(&elsewhere, "_Button2");  // the same name under another owner
  EXPECT_EQ(owner.FindComponent("_button2"), b);
}

TEST(ComponentNames, APublishedFieldFollowsTheComponentOfItsName) {
  TOwnerForm form(nullptr);
  auto* label = new TPart(&form, "Label1");
  EXPECT_EQ(form.Label1, label);
  label->SetName("Label2");
  EXPECT_EQ(form.Label1, nullptr);
  label->SetName("label1");  // names ignore letter case
  EXPECT_EQ(form.Label1, label);
  label->Free();
  EXPECT_EQ(form.Label1, nullptr);
  // A component of another class does not fit the field.
  new TOtherPart(&form);
  form.Components(0)->SetName("Label1");
  EXPECT_EQ(form.Label1, nullptr);
}

TEST(ClassRegistry, ClassesAreFoundByNameAndMadeWithAnOwner) {
  EXPECT_EQ(FindClass("tpart"), TPart::StaticClass());
  EXPECT_EQ(FindClass("TNoSuchPart"), nullptr);
  EXPECT_EQ(FindClass("TCollection")->Create, nullptr);  // not made by name

  TPart owner(nullptr, "Owner");
  TComponent* made = FindClass("TOtherPart")->Create(&owner);
  EXPECT_EQ(made->ClassType(), TOtherPart::StaticClass());
  EXPECT_EQ(made->Owner(), &owner);
  EXPECT_TRUE(made->Is<TComponent>());
  EXPECT_FALSE(made->Is<TPart>());

  EXPECT_EQ(As<TOtherPart>(made), made);
  EXPECT_EQ(As<TPart>(nullptr), nullptr);
  EXPECT_EQ(Cast<TPart>(made), nullptr);
  try {
    As<TPart>(made);
    ADD_FAILURE() << "no error";
  } catch (const EInvalidCast& e) {
    EXPECT_EQ(e.Message(), std::string(res::SInvalidCast));
  }
  // Lookups walk up to the ancestors, ignoring letter case.
  EXPECT_NE(TPart::StaticClass()->FindProp("tag"), nullptr);
  EXPECT_NE(TPart::StaticClass()->FindMethod("CLICK"), nullptr);
  EXPECT_EQ(TOtherPart::StaticClass()->FindMethod("Click"), nullptr);
}

TEST(Events, ClosuresCompareCallClearAndRebind) {
  TPart a(nullptr, "A"), b(nullptr, "B");
  TNotifyEvent none;
  TNotifyEvent onA(&a, &TPart::Click), onA2(&a, &TPart::Click);
  TNotifyEvent onB(&b, &TPart::Click), otherA(&a, &TPart::Other);
  EXPECT_FALSE(none);
  EXPECT_TRUE(onA == onA2);
  EXPECT_TRUE(onA != onB);
  EXPECT_TRUE(onA != otherA);
  EXPECT_TRUE(none == TNotifyEvent(nullptr));

  TNotifyEvent e = onA;  // copies call the same object
  e(&b);
  EXPECT_EQ(a.Clicked, std::vector<TObject*>{&b});
  e = onB;
  e(&a);
  EXPECT_EQ(b.Clicked, std::vector<TObject*>{&a});
  EXPECT_EQ(e.Object(), &b);
  e.Clear();
  EXPECT_FALSE(e);
  EXPECT_TRUE(e == none);

  // An untyped closure binds only to an event of its own signature.
  TMethod m = TPart::StaticClass()->FindMethod("Click")->Prototype;
  m.Data = &a;
  EXPECT_TRUE(e.SetMethod(m));
  EXPECT_TRUE(e == onA);
  TEvent<void(TObject*, int)> wrong;
  EXPECT_FALSE(wrong.SetMethod(m));
  EXPECT_FALSE(wrong);
}

// Collections: the list that items join and leave.
class TPartItem : public TCollectionItem {
  ORLO_CLASS(TPartItem)
  using TCollectionItem::TCollectionItem;
  ~TPartItem() override { g_destroyed.push_back("item " + Text); }
  void Assign(TPersistent* source) override { Text = As<TPartItem>(source)->Text; }
  std::string Text;
};
ORLO_DEFINE_CLASS(TPartItem, TCollectionItem) {}

TEST(Collections, ItemsJoinLeaveAndCopy) {
  g_destroyed.clear();
  TCollectionOf<TPartItem> list;
  list.Add()->Text = "a";
  list.Add()->Text = "b";
  list.Add()->Text = "c";
  EXPECT_EQ(list.ItemClass(), TPartItem::StaticClass());
  EXPECT_EQ(list.Items(2)->Index(), 2);
  EXPECT_THROW(list.Items(3), EListError);
  list.Delete(1);
  EXPECT_EQ(g_destroyed, std::vector<std::string>{"item b"});
  EXPECT_EQ(list.Items(1)->Text, "c");

  TCollectionOf<TPartItem> other;
  other.Add()->Text = "old";
  other.Assign(&list);
  ASSERT_EQ(other.Count(), 2);
  EXPECT_EQ(other.Items(0)->Text, "a");
  EXPECT_EQ(other.Items(1)->Text, "c");
  TPart notACollection(nullptr, "P");
  EXPECT_THROW(other.Assign(&notACollection), EConvertError);

  // An item moved to another collection leaves the first.
  TPartItem* moved = list.Items(0);
  moved->SetCollection(&other);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(moved->Index(), 2);
  delete moved;
  EXPECT_EQ(other.Count(), 2);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}
