#pragma once
// Every message box of the program goes through one MessageSink, so tests can intercept them.

#include <QString>

class QWidget;

namespace kav::app {

// Caption of the program's message and error boxes.
inline constexpr char kMessageCaption[] = "KAV-SkyTraq-V6";

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    // Plain message box with an OK button.
    virtual void information(const QString& text) = 0;
    // Warning box with the buttons No and OK; true when the user chose OK.
    virtual bool warning(const QString& text) = 0;
    // Confirmation box with the buttons Yes and No; true on Yes.
    virtual bool question(const QString& text) = 0;
    // Error box (stop icon, OK) showing the text as given.
    virtual void error(const QString& text) = 0;
};

// The error text as the default error report shows it: a full stop is appended when the last
// character's code is above that of ".".
QString errorReportText(const QString& text);

// The default error report: every error a command does not handle itself ends here.
void reportError(MessageSink& sink, const QString& text);

// Shows real message boxes over the given parent.
class BoxMessageSink : public MessageSink {
  public:
    explicit BoxMessageSink(QWidget* parent = nullptr) : parent_(parent) {}

    void information(const QString& text) override;
    bool warning(const QString& text) override;
    bool question(const QString& text) override;
    void error(const QString& text) override;

  private:
    QWidget* parent_;
};

}  // namespace kav::app
