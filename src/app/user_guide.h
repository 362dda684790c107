#pragma once
// The user guide shipped with the program, shown in a window of its own: it needs no browser
// and no network.

#include <functional>

#include <QDialog>
#include <QString>
#include <QStringList>

namespace kav::app {

class MessageSink;

// Where the guide may be, in the order they are looked at: beside the executable, then where
// an installed package puts it (<programDir>/../share/kav-skytraq).
QStringList userGuidePlaces(const QString& programDir);

// The message when the guide is in none of places.
QString missingUserGuideText(const QStringList& places);

// The guide's window: the text, Close, and "Online help" when onlineHelp is given.
class UserGuideDialog : public QDialog {
    Q_OBJECT
  public:
    UserGuideDialog(const QString& path, const std::function<void()>& onlineHelp,
                    QWidget* parent = nullptr);
};

// Help: shows the guide over parent (one window, raised when already open), or says where it
// was looked for.
void showUserGuide(QWidget* parent, const QString& programDir,
                   const std::function<void()>& onlineHelp, MessageSink& sink);

}  // namespace kav::app
