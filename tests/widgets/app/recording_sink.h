#pragma once
// A message sink that records every box instead of showing it; it may hold each information
// and error box open a while, its event loop running, as a modal box does.

#include <QEventLoop>
#include <QStringList>
#include <QTimer>

#include "app/message_sink.h"

namespace kav::app::testing {

class RecordingSink : public MessageSink {
  public:
    void information(const QString& text) override {
        infos << text;
        holdOpen();
    }
    bool warning(const QString& text) override {
        warnings << text;
        return answer;
    }
    bool question(const QString& text) override {
        questions << text;
        return answer;
    }
    void error(const QString& text) override {
        errors << text;
        holdOpen();
    }

    int count() const { return infos.size() + warnings.size() + questions.size() + errors.size(); }

    bool answer = true;  // OK / Yes
    int openMs = 0;      // how long an information or error box stays open
    QStringList infos, warnings, questions, errors;

  private:
    void holdOpen() const {
        if (openMs <= 0) return;
        QEventLoop loop;
        QTimer::singleShot(openMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
};

}  // namespace kav::app::testing
