// SIGINT and SIGTERM turned into a readable file descriptor (the self-pipe trick), so the main
// loop learns of them in poll and the handler does nothing but write one byte.
#pragma once

class SignalPipe {
public:
    // False when the pipe or the handlers cannot be set up.
    bool install();
    int fd() const { return readFd; }

private:
    int readFd = -1;
};
