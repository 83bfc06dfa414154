// The single-instance guard: a named mutex held from the check until the program ends.
#pragma once

namespace quellix {

// True when this is the only instance. The mutex is created atomically, so two instances started
// at the same moment cannot both pass.
[[nodiscard]] bool CheckSingleInstance(const wchar_t* mutexName);
void ReleaseSingleInstance();

} // namespace quellix
