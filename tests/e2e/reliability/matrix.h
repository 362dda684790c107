#pragma once
// The fault matrix shared by both front ends: each row is a wire fault of the emulated logger
// or something the user does during a download, with what must come of it. A front end runs a
// row and gives back what the user was told and what was kept; every row checks the same three
// things: the sectors kept are the logger's own bytes, the tracks are those the kept sectors
// give (the one whose end was not read named so), and what the user is told is the truth.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <ostream>
#include <vector>

#include "sim/emulator.h"

namespace kav::reliability {

// What the user does during the download, and when.
enum class Action { None, Reconnect, Stop, Interrupt, ClearMemory, SendCriteria, OpenRawLog };
enum class When {
    AfterSector,   // once sector atSector has been stored
    AwaitingAck,   // the request for sector atSector has reached the logger, its answer not back
    DataArriving,  // sector atSector's data is arriving (the rest of it held by the logger)
};

struct Expected {
    bool complete = true;   // the whole memory read in the end
    int minSectors = -1;    // sectors kept; -1 for the whole log
    int maxSectors = -1;    // -1: minSectors (the whole log when both are -1)
    const char* told = "";  // part of what the user must be told ("" when nothing is wrong)
};

struct Scenario {
    const char* name;
    const char* what;  // the fault or the user's action in a few words, for the report
    QStringList faults;
    Expected expected;
    Action action = Action::None;
    When when = When::AfterSector;
    int atSector = 2;
    bool answer = true;  // the user's answer to the questions the action raises
    bool continuousOutput = false;
    const char* speed = "fast";   // the transfer speed asked for (fast is the default)
    bool loggerLeftFast = false;  // a program before left the logger at 230400 baud
    int boxOpenMs = 0;            // each message box runs its own event loop this long
};

// What a front end reports after a row.
struct Result {
    bool ended = false;                // the run ended on its own (no hang)
    bool complete = false;             // the front end says the whole memory was read
    QByteArray memory;                 // the sectors kept, as read
    QString told;                      // everything the user was told, in order
    QString firmware;                  // the version text kept for the files
    int tracks = -1;                   // tracks the front end lists or wrote
    bool lastNamedIncomplete = false;  // the last track is marked or named as incomplete
    int loggerRate = 0;                // the logger's line rate afterwards, 0 when it is gone
};

// The wire faults run in both front ends over the pseudo-terminal (the rest run against the
// conversation core at virtual time).
std::vector<Scenario> faultRows();
QByteArray sampleImage();
sim::EmulatorOptions emulatorOptions(const Scenario& scenario, bool paced);
// Starts the emulator and, when the row says so, leaves the logger at 230400 baud as a
// program that did not put it back would.
bool startLogger(sim::Emulator& emulator, const Scenario& scenario);

// Checks a result against its row (gtest expectations) and prints the report line.
void checkAndReport(const char* frontEnd, const Scenario& scenario, const Result& result);

// A row is named by its name in test output.
inline void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

// The rows' test names.
inline std::string rowName(const ::testing::TestParamInfo<Scenario>& info) {
    return info.param.name;
}

// Runs every row under an application of type App; emulator announcements go to a folder of
// the run's own, so no other emulator is listed.
template <typename App>
int runMatrix(int argc, char** argv) {
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    App app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

}  // namespace kav::reliability
