// The component model: objects owned by a component are freed with it, and a form built
// from its stored description tells each component when loading has finished.
#pragma once

#include <functional>
#include <string>
#include <vector>

class TObject {
  public:
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

enum TComponentStateFlag : unsigned {
    csLoading = 0x1,
    csDestroying = 0x8,
    csDesigning = 0x10,
};

class TComponent : public TObject {
  public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    unsigned ComponentState() const { return state_; }
    bool IsLoading() const { return state_ & csLoading; }
    bool IsDesigning() const { return state_ & csDesigning; }
    bool IsDestroying() const { return state_ & csDestroying; }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int i) const { return components_.at(static_cast<size_t>(i)); }
    TComponent* FindComponent(const std::string& name) const;

    // Runs build with every component created inside it in the loading state, then clears
    // that state and calls Loaded on each of them, in creation order: how a window is
    // read from its stored description.
    static void ReadState(const std::function<void()>& build);

  protected:
    // Called after the stored properties have been read.
    virtual void Loaded() {}
    // Marks destruction as begun (descendants call it first in their destructors when they
    // must know it while tearing down).
    void Destroying() { state_ |= csDestroying; }
    void SetDesigning(bool on) { state_ = on ? state_ | csDesigning : state_ & ~csDesigning; }
    // Frees the owned components now, newest first (a window frees its controls before
    // its own window goes).
    void DestroyComponents();

  private:
    void removeComponent(TComponent* c);

    TComponent* owner_;
    std::string name_;
    unsigned state_ = 0;
    std::vector<TComponent*> components_;
};
