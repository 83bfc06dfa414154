#include "channels/table_file_system.h"

namespace quellix {

TableFileSystem& TableFileSystem::Real() {
    static TableFileSystem real;
    return real;
}

} // namespace quellix
