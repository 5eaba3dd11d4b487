#include "components.h"

#include <algorithm>

#include "class_builder.h"

namespace orlo {

ORLO_DEFINE_CLASS(TComponent, TPersistent) {
  p.String("Name", &TComponent::Name, &TComponent::SetName);
  p.Int("Tag", &TComponent::Tag, &TComponent::SetTag, 0);
}

bool IsValidIdent(const std::string& s) {
  if (s.empty()) return false;
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!alpha(s[0])) return false;
  for (char c : s)
    if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
  return true;
}

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  BeginDestruction();
  // Owned components go from the last to the first.
  while (!components_.empty()) {
    TComponent* c = components_.back();
    c->Free();  // removes itself from components_
    if (!components_.empty() && components_.back() == c) components_.pop_back();
  }
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::BeginDestruction() {
  if (destruction_begun_) return;
  destruction_begun_ = true;
  state_ |= csDestroying;
  // Whoever asked is told once; the lists are emptied on both sides first so
  // that the notified component cannot reach back into them.
  while (!free_notifies_.empty()) {
    TComponent* c = free_notifies_.back();
    free_notifies_.pop_back();
    c->RemoveNotification(this);
    c->Notification(this, TOperation::opRemove);
  }
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) throw EListError(res::SListIndexError);
  return components_[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  auto& list = owner_->components_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameTextAscii(c->name_, name)) return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* c) {
  if (!c->name_.empty() && FindComponent(c->name_))
    throw EComponentError(Format(res::SDuplicateName, c->name_));
  if (c->owner_) c->owner_->RemoveComponent(c);
  components_.push_back(c);
  c->owner_ = this;
  c->SetFieldReference(true);
  Notification(c, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* c) {
  auto it = std::find(components_.begin(), components_.end(), c);
  if (it == components_.end()) return;
  c->SetFieldReference(false);
  components_.erase(it);
  c->owner_ = nullptr;
  if (!Destroying()) Notification(c, TOperation::opRemove);
}

void TComponent::SetFieldReference(bool set) {
  if (!owner_ || name_.empty()) return;
  if (const TFieldInfo* f = owner_->ClassType()->FindField(name_)) {
    if (set && !InheritsFrom(f->FieldClass)) return;
    f->Set(owner_, set ? this : nullptr);
  }
}

void TComponent::SetName(const std::string& name) {
  if (name == name_) return;
  if (!name.empty() && !IsValidIdent(name))
    throw EComponentError(Format(res::SInvalidName, name));
  if (owner_ && !name.empty()) {
    TComponent* other = owner_->FindComponent(name);
    if (other && other != this) throw EComponentError(Format(res::SDuplicateName, name));
  }
  SetFieldReference(false);
  name_ = name;
  SetFieldReference(true);
}

void TComponent::FreeNotification(TComponent* c) {
  if (!c || c == this) return;
  if (std::find(free_notifies_.begin(), free_notifies_.end(), c) == free_notifies_.end())
    free_notifies_.push_back(c);
  if (std::find(c->free_notifies_.begin(), c->free_notifies_.end(), this) == c->free_notifies_.end())
    c->free_notifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* c) {
  if (!c) return;
  RemoveNotification(c);
  c->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* c) {
  free_notifies_.erase(std::remove(free_notifies_.begin(), free_notifies_.end(), c),
                       free_notifies_.end());
}

void TComponent::Notification(TComponent* c, TOperation op) {
  // Owned components hear of each other's removal too.
  if (op == TOperation::opRemove && c && !Destroying()) {
    for (TComponent* child : components_)
      if (child != c) child->Notification(c, op);
  }
}

void TComponent::Loaded() { state_ &= ~csLoading; }

}  // namespace orlo
