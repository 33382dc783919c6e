// How result reports reach the user: boxes and status texts of the window, or
// a record of the boxes when a script drives the window.
#pragma once

#include <QString>
#include <deque>

#include "bus/RtcBus.h"

class TMainApp;

class WindowResultSink : public ResultSink {
  public:
    explicit WindowResultSink(TMainApp& window) : window_(window) {}

    // Critical box with one OK button, 20 px right of and below the window's
    // top-left corner. Blocks until dismissed.
    void errorBox(const std::string& text) override;
    void statusText(const std::string& text) override; // status bar panel 3

    // The text as the box shows it: the adapter's "\r" line break as a newline.
    static QString boxText(const std::string& text);

  protected:
    TMainApp& window_;
};

// Script mode: boxes are queued and echoed to stdout instead of shown, so
// nothing waits for a click.
class RecordingSink : public WindowResultSink {
  public:
    using WindowResultSink::WindowResultSink;

    void errorBox(const std::string& text) override;

    // Adds a box text (as reported, "\r" kept) and echoes it as one line.
    void record(const QString& text);

    bool empty() const { return boxes_.empty(); }
    size_t size() const { return boxes_.size(); }
    const std::deque<QString>& boxes() const { return boxes_; }
    QString takeFirst(); // empty text when none is queued
    void clear() { boxes_.clear(); }

  private:
    std::deque<QString> boxes_;
};
