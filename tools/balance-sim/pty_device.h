// The balance's end of a pseudo-terminal. The slave side is held open for the whole run, so a
// client that closes and reopens the device never hangs the line up.
#pragma once

#include <string>

class PtyDevice {
public:
    PtyDevice() = default;
    ~PtyDevice();
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    // Opens the pair, both sides raw, master non-blocking. On failure returns false with a reason.
    bool open(std::string& error);
    // Points `linkPath` at the slave; an existing symbolic link there is replaced, anything else
    // is left alone and reported.
    bool makeLink(const std::string& linkPath, std::string& error);
    // Hangs the line up for the client: the master and our hold on the slave go.
    void hangUp();

    int masterFd() const { return master; }
    bool isOpen() const { return master >= 0; }
    const std::string& slavePath() const { return path; }
    // Bytes written to the client that it has not read yet.
    int unreadByClient() const;

private:
    void removeLink();

    int master = -1;
    int slaveHold = -1;
    std::string path;
    std::string link;
};
