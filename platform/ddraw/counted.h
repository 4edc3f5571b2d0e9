#pragma once

#include "platform/ddraw/ddraw.h"

namespace velmora::platform {

// Reference counting shared by the layer's objects: the last Release ends the
// object. An ended object stays addressable but refuses every call.
template <typename Interface>
class Counted : public Interface {
  public:
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;

    ULONG AddRef() final {
        if (alive_) {
            ++references_;
        }
        return references_;
    }
    ULONG Release() final {
        if (!alive_ || references_ == 0) {
            return 0;
        }
        if (--references_ == 0) {
            End();
        }
        return references_;
    }
    bool Alive() const { return alive_; }
    ULONG References() const { return references_; }

  protected:
    Counted() = default;
    ~Counted() override = default;
    virtual void End() = 0;
    // Marks the object ended; false when it already was.
    bool MarkEnded() {
        if (!alive_) {
            return false;
        }
        alive_ = false;
        references_ = 0;
        return true;
    }

  private:
    bool alive_ = true;
    ULONG references_ = 1;
};

}  // namespace velmora::platform
