// Components: ownership, names, free notifications and the loading state.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "classes.h"

namespace orlo {

enum TComponentStateFlag : uint32_t {
  csLoading = 1, csReading = 2, csWriting = 4, csDestroying = 8, csDesigning = 16,
};
enum class TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
  ORLO_CLASS(TComponent)
public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  // Destroys the component; owned components go with it.
  void Free() { delete this; }

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;
  int ComponentIndex() const;
  TComponent* FindComponent(const std::string& name) const;  // ignores letter case
  void InsertComponent(TComponent* c);
  void RemoveComponent(TComponent* c);

  const std::string& Name() const { return name_; }
  // Valid identifiers only, unique among the owner's components; a published
  // field of the owner with that name is set to this component.
  virtual void SetName(const std::string& name);
  int32_t Tag() const { return tag_; }
  void SetTag(int32_t v) { tag_ = v; }

  uint32_t ComponentState() const { return state_; }
  bool Loading() const { return state_ & csLoading; }
  bool Reading() const { return state_ & csReading; }
  bool Destroying() const { return state_ & csDestroying; }
  void SetState(uint32_t flags) { state_ |= flags; }
  void ClearState(uint32_t flags) { state_ &= ~flags; }

  // Asks to be told (Notification, opRemove) when c is destroyed.
  void FreeNotification(TComponent* c);
  void RemoveFreeNotification(TComponent* c);
  virtual void Notification(TComponent* c, TOperation op);

  // Called once a description has been read completely.
  virtual void Loaded();

  // Reading support: the component that a child record is nested in, and
  // its place among that parent's children.
  virtual bool HasParent() const { return false; }
  virtual void SetParentComponent(TComponent* parent) {}
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetChildOrder(TComponent* child, int order) {}
  // Told after each property entry of the component's description has been
  // applied, with the entry's name ("Left", "Font.Height" ...).
  virtual void PropertyRead(const std::string& path) {}

protected:
  // Marks the component as going away and tells everyone who asked; the
  // destructor calls it too, so calling it earlier is optional.
  void BeginDestruction();

private:
  void SetFieldReference(bool set);
  void RemoveNotification(TComponent* c);

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> free_notifies_;
  std::string name_;
  int32_t tag_ = 0;
  uint32_t state_ = 0;
  bool destruction_begun_ = false;
};

bool IsValidIdent(const std::string& s);

}  // namespace orlo
