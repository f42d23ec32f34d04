// The real-time watch over the startup locations: one thread that waits on
// registry change notifications (every Run-type key of the catalogue, the
// keys of Windows' switches, win.ini's registry mapping and the packaged
// apps' task states) and on the change notifications of both Startup
// folders, and tells its owner each time one of them fires. It never touches
// a window: the owner's `notice` decides what to do (it runs on the watch's
// thread).
#pragma once

#include "base/handles.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace kv {

// One registry key to watch: its root and path (HKLM paths in the 64-bit view).
struct WatchedKey {
    HKEY root = nullptr;
    std::string path;
};

// Every key whose changes may change the startup set, without a key that
// lies below another one of the list (a watch of a key covers its subkeys).
std::vector<WatchedKey> WatchedRegistryKeys();

// The keys without those below another one of them (paths compared without
// regard to the case of A-Z), in their first order.
std::vector<WatchedKey> WithoutCoveredKeys(const std::vector<WatchedKey>& keys);

// The longest path ending at a backslash of `path` (its parent key or folder),
// empty for a path of one name.
std::string ParentPath(const std::string& path);

// The watch runs from construction to destruction. A key or folder that does
// not exist is watched through its nearest existing parent (for names only),
// so that its creation is seen, and watched itself from then on; one deleted
// falls back to its parent the same way. What cannot be watched at all (no
// parent can be opened, or more than one wait takes) is counted: the timed
// check covers it.
class LocationWatch {
  public:
    explicit LocationWatch(std::function<void()> notice);
    ~LocationWatch(); // ends the thread and closes every handle it holds
    LocationWatch(const LocationWatch&) = delete;
    LocationWatch& operator=(const LocationWatch&) = delete;

    // False when the thread could not be started: nothing is watched.
    bool running() const { return thread_.valid(); }
    // Waits until the thread has armed every notification once; false when
    // it has not within the time.
    bool WaitArmed(DWORD milliseconds) const;
    // How many places are watched through their parent now, and how many
    // cannot be watched at all.
    int OnParent() const { return onParent_.load(); }
    int Unwatched() const { return unwatched_.load(); }
    // How many notifications have fired since the start.
    long Notices() const { return notices_.load(); }

  private:
    static unsigned __stdcall Run(void* self);
    void Loop();

    std::function<void()> notice_;
    UniqueHandle stop_;
    UniqueHandle armed_;
    UniqueHandle thread_;
    std::atomic<int> onParent_{0};
    std::atomic<int> unwatched_{0};
    std::atomic<long> notices_{0};
};

} // namespace kv
