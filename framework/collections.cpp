#include "collections.h"

#include <algorithm>

#include "class_builder.h"

namespace orlo {

ORLO_DEFINE_CLASS(TCollectionItem, TPersistent) {}
ORLO_DEFINE_CLASS(TCollection, TPersistent) {}

// --- TCollectionItem -----------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* collection) { SetCollection(collection); }

TCollectionItem::~TCollectionItem() { SetCollection(nullptr); }

void TCollectionItem::SetCollection(TCollection* collection) {
  if (collection == collection_) return;
  if (collection_) collection_->RemoveItem(this);
  if (collection) collection->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!collection_) return -1;
  const auto& items = collection_->items_;
  auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

// --- TCollection -----------------------------------------------------------------

TCollection::TCollection(TClass itemClass, TItemCreator create)
    : item_class_(itemClass), create_(create) {}

TCollection::~TCollection() { Clear(); }

TCollectionItem* TCollection::Add() {
  TCollectionItem* item = create_(this);
  // An item class whose constructor ignores its collection still ends up here.
  if (item->Collection() != this) item->SetCollection(this);
  return item;
}

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count()) throw EListError(res::SListIndexError);
  return items_[static_cast<size_t>(index)];
}

void TCollection::Delete(int index) { delete Items(index); }

void TCollection::Clear() {
  while (!items_.empty()) delete items_.back();  // each removes itself
}

void TCollection::Assign(TPersistent* source) {
  auto* other = Cast<TCollection>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  Clear();
  for (TCollectionItem* item : other->items_) Add()->Assign(item);
}

void TCollection::InsertItem(TCollectionItem* item) {
  items_.push_back(item);
  item->collection_ = this;
}

void TCollection::RemoveItem(TCollectionItem* item) {
  items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
  item->collection_ = nullptr;
}

}  // namespace orlo
