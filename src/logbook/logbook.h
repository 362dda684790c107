#pragma once
// The logbook file: one row per flight, found by its fingerprint, so a flight read again is
// never kept twice. Each Logbook is its own SQLite connection, used in the thread that opened
// it; writers in other threads or programs wait for each other up to the busy timeout.

#include <memory>
#include <optional>
#include <span>
#include <vector>

#include <QSet>
#include <QString>

#include "logbook/logbook_error.h"
#include "logbook/logged_flight.h"

class QSqlDatabase;

namespace kav::logbook {

// How long a write waits for another writer before the logbook counts as locked.
inline constexpr int kBusyTimeoutMs = 5000;

struct Recorded {
    int added = 0;  // flights new to the logbook
    int known = 0;  // flights it already held (their new files added)
};

// "1 new flight, 2 already in it".
QString recordedText(const Recorded& recorded);

// The window waits this long for another writer, so a logbook held by another program never
// freezes it for long.
inline constexpr int kWindowBusyTimeoutMs = 500;

class Logbook {
  public:
    struct Options {
        int busyTimeoutMs = kBusyTimeoutMs;
        bool create = true;  // a missing file (and its folder) is made; otherwise an error
    };

    // Opens the logbook at path and upgrades its schema; nullptr and error on failure.
    static std::unique_ptr<Logbook> open(const QString& path, LogbookError* error, Options options);
    static std::unique_ptr<Logbook> open(const QString& path, LogbookError* error) {
        return open(path, error, Options{});
    }
    ~Logbook();
    Logbook(const Logbook&) = delete;
    Logbook& operator=(const Logbook&) = delete;

    // Adds the flights not kept yet and the new files of those kept, all or nothing.
    std::optional<Recorded> record(std::span<const LoggedFlight> flights, LogbookError& error);

    // The fingerprints of those of flights it holds already.
    std::optional<QSet<QString>> held(std::span<const LoggedFlight> flights,
                                      LogbookError& error) const;

    // The flights kept, by take-off; only those that took off in the UTC year when given.
    std::optional<std::vector<LoggedFlight>> flights(std::optional<int> year,
                                                     LogbookError& error) const;

    const QString& path() const { return path_; }

  private:
    Logbook(QString path, QString connection);
    QSqlDatabase database() const;
    bool prepare(const Options& options, LogbookError* error);

    QString path_;
    QString connection_;
};

// The user's logbook: kav-skytraq/logbook.sqlite in the user's data folder
// (~/.local/share on Linux, %APPDATA% on Windows).
QString defaultLogbookPath();

}  // namespace kav::logbook
