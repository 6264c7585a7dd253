#pragma once

#include "base/ProgressSink.h"

#include <QString>

// What a comparison run shows while it works: the progress window in the program, nothing (or a line on
// a terminal) in the headless front end and in tests. The engine talks to it only through this seam, so
// the run never includes a widget header.
//
// All calls come from the window thread. Texts and progress values are cheap to set: an implementation
// keeps them and repaints when the event pump next runs, never once per file.
class CompareProgressView
{
public:
    virtual ~CompareProgressView() = default;

    // Opens the view with the bar at 0, message in the message line and fileName in the file line.
    virtual void Show(const QString& message, const QString& fileName) = 0;
    // Closes the view; harmless when it is not open.
    virtual void Close() = 0;

    virtual void SetMessage(const QString& message) = 0;
    virtual void SetFileName(const QString& fileName) = 0;

    // (Re)starts the start delay; DelayHasPassed answers true once it has run out. A view that needs no
    // time to appear answers true at once.
    virtual void StartDelay() = 0;
    virtual bool DelayHasPassed() const = 0;

    // Restarts the busy animation; name says which one ("filetreelist.avi", "scanfiles.avi").
    virtual void StartAnimation(const QString& name) = 0;
    virtual void StopAnimation() = 0;

    // The progress bar.
    virtual ProgressSink& Progress() = 0;
};

// A view that shows nothing; its delay has always passed.
class NullCompareProgressView final : public CompareProgressView
{
public:
    void Show(const QString&, const QString&) override {}
    void Close() override {}
    void SetMessage(const QString&) override {}
    void SetFileName(const QString&) override {}
    void StartDelay() override {}
    bool DelayHasPassed() const override { return true; }
    void StartAnimation(const QString&) override {}
    void StopAnimation() override {}
    ProgressSink& Progress() override { return m_sink; }

private:
    NullProgressSink m_sink;
};
