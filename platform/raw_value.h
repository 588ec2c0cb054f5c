#pragma once
// Values of fixed-layout records read and written at any byte offset: record
// fields are packed, so they are copied rather than dereferenced.
#include <cstring>

namespace vornel::platform {

template <typename T>
T LoadRaw(const void* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

template <typename T>
void StoreRaw(void* at, T value) {
  std::memcpy(at, &value, sizeof value);
}

}  // namespace vornel::platform
