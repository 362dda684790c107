#pragma once
// The download's progress line on a terminal: sector n of N, bytes per second, time left.

#include <QElapsedTimer>
#include <QString>

namespace kav::cli {

// The text for done of total sectors read in elapsedMs, e.g.
// "sector 3 of 6, 11.4 KiB/s, 0:01 left"; the rate and time left need at least one sector
// and some time.
QString progressText(int done, int total, qint64 elapsedMs);

// Rewrites one line of standard error in place, only when standard error is a terminal.
class ProgressLine {
  public:
    explicit ProgressLine(bool enabled);
    void start();
    void update(int done, int total);
    // The line rate shown with the progress.
    void setBaud(int baud) { baud_ = baud; }
    void finish();  // ends the line so later messages start on their own

  private:
    bool enabled_;
    bool shown_ = false;
    int baud_ = 115200;
    QElapsedTimer clock_;
};

}  // namespace kav::cli
