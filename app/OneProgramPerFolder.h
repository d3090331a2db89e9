#pragma once

#include <QLocalServer>
#include <QString>

#include <functional>

// Two programs on one Items.txt would both schedule its profiles and rewrite the file from stale
// positions, so a folder runs one program. The first start listens on a local socket named after
// its folder; a later start that reaches it has asked it to show its window, and ends. The socket
// lives in the abstract namespace, which the kernel frees with the process that holds it: a
// program that was killed never stops the next start. A program that is ending (Exit lets its run
// finish) answers a later start so, and that start waits to take the folder over when it has gone.
// Any user can take a name in that namespace: a holder that is another user's process is none of
// ours, and neither is a start of another user's; a start then runs beside it and says so.
class OneProgramPerFolder {
public:
    OneProgramPerFolder();
    OneProgramPerFolder(const OneProgramPerFolder&) = delete;
    OneProgramPerFolder& operator=(const OneProgramPerFolder&) = delete;

    // True when a program of this folder already runs and has been asked to show its window.
    // Otherwise this one holds the folder from now on; a folder that cannot be held (no socket
    // can be made) is run anyway, as programs ran before.
    bool AnotherRuns();

    // Called whenever a later start asks this program to show its window; show returns false where
    // this program is ending instead, which the later start is then told.
    void OnShowRequested(std::function<bool()> show);

private:
    enum class Answer { Shown, Ending, None, Foreign };
    Answer askRunningToShow() const;

    QString m_name;
    QLocalServer m_server;
    std::function<bool()> m_show;
};
