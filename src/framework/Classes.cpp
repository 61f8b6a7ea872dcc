#include "framework/Classes.h"

#include <algorithm>

namespace {

// Components created while a stored description is being read.
int loadingDepth = 0;
std::vector<TComponent*>* loadingList = nullptr;

}  // namespace

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_) owner_->components_.push_back(this);
    if (loadingDepth > 0) {
        state_ |= csLoading;
        if (loadingList) loadingList->push_back(this);
    }
}

TComponent::~TComponent() {
    state_ |= csDestroying;
    DestroyComponents();
    if (owner_) owner_->removeComponent(this);
    if (loadingList) std::erase(*loadingList, this);
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* c = components_.back();
        components_.pop_back();
        c->owner_ = nullptr;
        delete c;
    }
}

void TComponent::removeComponent(TComponent* c) {
    std::erase(components_, c);
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    for (TComponent* c : components_)
        if (c->name_ == name) return c;
    return nullptr;
}

void TComponent::ReadState(const std::function<void()>& build) {
    std::vector<TComponent*> created;
    std::vector<TComponent*>* outer = loadingList;
    loadingList = &created;
    ++loadingDepth;
    try {
        build();
    } catch (...) {
        --loadingDepth;
        loadingList = outer;
        throw;
    }
    --loadingDepth;
    loadingList = outer;
    for (TComponent* c : created) c->state_ &= ~(csLoading);
    if (outer) outer->insert(outer->end(), created.begin(), created.end());
    if (loadingDepth == 0)
        for (TComponent* c : created) c->Loaded();
}
