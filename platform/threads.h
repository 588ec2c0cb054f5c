#pragma once
// Thread numbers as the system uses them: small positive integers, 1 for the
// first thread that asks (the program's main thread), then counting up.
namespace vornel::platform {

int CurrentThreadNumber();

}  // namespace vornel::platform
