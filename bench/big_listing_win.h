// The big listing the harvest benchmarks run over: 20,000 tasks in the 28-column layout, every
// tenth the tuner's, the header repeated every 500 rows; and a channel table of 500 rows, 100 of
// them for the deck, so that every tuner task maps to a station.
#pragma once

#include "tests/shared/task_listing_rows.h"

#include <cstdio>
#include <string>

namespace quellix::bench {

inline constexpr int kTasks = 20000;
inline constexpr int kTunerTasks = 2000;
inline constexpr int kRowsPerHeader = 500;
inline constexpr int kTableRows = 500;
inline constexpr int kDeckRows = 100;

// The next run time of tuner task `tuner`: every task on its own start minute.
inline std::string NextRun(int tuner) {
    const int minute = tuner * 37;
    char text[32];
    std::snprintf(text, sizeof text, "2009/%02d/%02d %d:%02d:00", 3 + minute / (28 * 1440), 1 + minute / 1440 % 28,
                  minute / 60 % 24, minute % 60);
    return text;
}

inline std::string MakeListing() {
    using namespace quellix::testing;
    std::string listing;
    int tuner = 0;
    for (int task = 0; task < kTasks; ++task) {
        if (task % kRowsPerHeader == 0) {
            listing += "\r\n" + ListingHeader() + "\r\n";
        }
        char name[64];
        if (task % (kTasks / kTunerTasks) == 0) {
            std::snprintf(name, sizeof name, "\\PCastDigi\\Reserve_%05d", tuner);
            listing += ListingRow(
                name, NextRun(tuner),
                TunerCommand("番組表示ソフト " + std::to_string(tuner), std::to_string(tuner % 100), 30 + tuner % 90),
                tuner % 2 == 0 ? Quotes::Doubled : Quotes::AsIs);
            ++tuner;
        } else {
            std::snprintf(name, sizeof name, "\\Task_%05d", task);
            listing += ListingRow(name, "2009/03/07 1:00:00", "%windir%\\system32\\defrag.exe -c");
        }
        listing += "\r\n";
    }
    return listing;
}

// Other decks' rows first, so that a look-up walks most of the table.
inline std::string MakeChannelTable() {
    std::string table = "\"ToolName\",\"TVChannel\",\"TVChannelNo\",\r\n";
    for (int row = 0; row < kTableRows - kDeckRows; ++row) {
        table += "\"Deck" + std::to_string(row % 7) + "\",\"局" + std::to_string(row) + "\",\"" +
                 std::to_string(row % 100) + "\",\r\n";
    }
    for (int channel = 0; channel < kDeckRows; ++channel) {
        table +=
            "\"GigaPocket\",\"ソフト放送" + std::to_string(channel) + "\",\"" + std::to_string(channel) + "\",\r\n";
    }
    return table;
}

} // namespace quellix::bench
