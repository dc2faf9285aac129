#pragma once
// Common base of the component's objects: a virtual destructor, so owning containers can
// hold any of them.

namespace resmelder {

class VantrixObject {
  public:
    VantrixObject() = default;
    VantrixObject(const VantrixObject&) = default;
    VantrixObject& operator=(const VantrixObject&) = default;
    virtual ~VantrixObject() = default;
};

}  // namespace resmelder
