#pragma once
// What bytes a VARIANT stands for when a script or a form hands data to the component: the
// value's own memory, little-endian and unconverted.

#include <oaidl.h>

#include <cstdint>
#include <vector>

namespace resmelder::com {

/// The bytes of `value`; empty for the types that give nothing.
std::vector<std::uint8_t> VariantToBytes(const VARIANT& value);

}  // namespace resmelder::com
