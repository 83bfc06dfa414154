#include "support/single_instance_win.h"

#include "support/unique_handle_win.h"

#include <windows.h>

namespace quellix {

namespace {
UniqueKernelHandle g_instanceMutex;
}

bool CheckSingleInstance(const wchar_t* mutexName) {
    UniqueKernelHandle mutex{::CreateMutexW(nullptr, FALSE, mutexName)};
    if (!mutex || ::GetLastError() == ERROR_ALREADY_EXISTS) {
        return false;
    }
    g_instanceMutex = std::move(mutex);
    return true;
}

void ReleaseSingleInstance() {
    g_instanceMutex.reset();
}

} // namespace quellix
