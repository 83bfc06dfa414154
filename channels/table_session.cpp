#include "channels/table_session.h"

#include <exception>

namespace quellix {

TableSession::TableSession(const ChannelTables& tables) : tables_{tables} {
    TCsvTable* const order[]{&tables_.TableTV, &tables_.TableTVChNo, &tables_.TableTVChData};
    try {
        for (TCsvTable* table : order) {
            table->Open();
        }
    } catch (...) {
        for (TCsvTable* table : order) {
            table->CloseWithoutSaving();
        }
        throw;
    }
    open_ = true;
}

TableSession::~TableSession() {
    if (!open_) {
        return;
    }
    for (TCsvTable* table : {&tables_.TableTV, &tables_.TableTVChNo, &tables_.TableTVChData}) {
        try {
            table->Close();
        } catch (...) {
            // Only reached while another error unwinds: that one goes on.
        }
    }
}

void TableSession::Close() {
    if (!open_) {
        return;
    }
    open_ = false;
    std::exception_ptr firstError;
    for (TCsvTable* table : {&tables_.TableTV, &tables_.TableTVChNo, &tables_.TableTVChData}) {
        try {
            table->Close();
        } catch (...) {
            if (!firstError) {
                firstError = std::current_exception();
            }
        }
    }
    if (firstError) {
        std::rethrow_exception(firstError);
    }
}

} // namespace quellix
