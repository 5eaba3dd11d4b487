// Collections: an ordered list of items of one class, each with its own
// published properties, read from a window description as one value.
#pragma once
#include <vector>

#include "classes.h"

namespace orlo {

class TCollection;

// An item knows its collection; destroying it takes it out of the list.
class TCollectionItem : public TPersistent {
  ORLO_CLASS(TCollectionItem)
public:
  explicit TCollectionItem(TCollection* collection);
  ~TCollectionItem() override;

  TCollection* Collection() const { return collection_; }
  // Moves the item to the end of another collection (or out of any with null).
  void SetCollection(TCollection* collection);
  int Index() const;  // -1 outside a collection

private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
};

class TCollection : public TPersistent {
  ORLO_CLASS(TCollection)
public:
  using TItemCreator = TCollectionItem* (*)(TCollection* collection);

  // create makes one item of itemClass inside the collection it is given.
  TCollection(TClass itemClass, TItemCreator create);
  ~TCollection() override;

  TClass ItemClass() const { return item_class_; }
  TCollectionItem* Add();
  int Count() const { return static_cast<int>(items_.size()); }
  TCollectionItem* Items(int index) const;  // EListError outside 0 .. Count - 1
  void Delete(int index);
  void Clear();

  // From another collection: the same number of items, each assigned from
  // its counterpart.
  void Assign(TPersistent* source) override;

private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);

  TClass item_class_;
  TItemCreator create_;
  std::vector<TCollectionItem*> items_;
};

// A collection of Item with typed access.
template <class Item>
class TCollectionOf : public TCollection {
public:
  TCollectionOf()
      : TCollection(Item::StaticClass(),
                    [](TCollection* c) -> TCollectionItem* { return new Item(c); }) {}
  Item* Add() { return static_cast<Item*>(TCollection::Add()); }
  Item* Items(int index) const { return static_cast<Item*>(TCollection::Items(index)); }
};

}  // namespace orlo
