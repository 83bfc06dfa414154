// The three channel tables a run opens together, and the session that opens them in their order
// and closes them again whichever way the run ends.
#pragma once

#include "channels/csv_table.h"

namespace quellix {

struct ChannelTables {
    TCsvTable& TableTV;       // station renaming: OldChannel -> NewChannel
    TCsvTable& TableTVChNo;   // VideoDeckName, TVChannel, TVChannelNo
    TCsvTable& TableTVChData; // opened and closed with the others, never read or changed
};

// Opens TableTV, TableTVChNo and TableTVChData in this order and closes them in the same order;
// every close writes back a table the run changed (TCsvTable::Close). A table that cannot be
// opened closes those opened before it without writing them, and its error goes on: the run has
// read and changed nothing yet, so there is nothing to save, and a table whose file was missing
// is not created by a run that failed.
class TableSession {
public:
    explicit TableSession(const ChannelTables& tables);
    TableSession(const TableSession&) = delete;
    TableSession& operator=(const TableSession&) = delete;
    // Closes the tables when Close was not reached (an error is on its way): errors of these
    // closes are dropped so that the first error goes on.
    ~TableSession();

    // Closes all three, also when one close fails; the first failure is raised afterwards.
    void Close();

private:
    ChannelTables tables_;
    bool open_ = false;
};

} // namespace quellix
