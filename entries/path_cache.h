// Existence checks answered from directory listings, for the length of one
// refresh: each folder is listed once, and every later question about a name
// in it is answered from that listing instead of asking the file system again
// (a missed look-up in the System folder is costly). Paths the listing could
// answer differently from GetFileAttributesA (relative to a drive's current
// folder, with wildcards, dots or blanks at a name's end, device names, ...)
// are still asked of the file system.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace kv {

class PathCache {
  public:
    PathCache();
    // True when GetFileAttributesA would find the path (a file or a folder).
    bool Exists(const std::string& path);

  private:
    struct Listing {
        bool listed = false;                    // the folder could be listed (it exists)
        std::unordered_set<std::wstring> names; // long and short names, upper case
    };
    bool Look(const std::string& path);
    const Listing& ListingOf(const std::string& folder);

    std::string currentFolder_;
    std::map<std::wstring, Listing> listings_; // by upper-cased folder path
    // The same listings by the folder's spelling, and every answer given, by
    // the path asked: commands share most of their paths' beginnings.
    std::unordered_map<std::string, const Listing*> spelled_;
    std::unordered_map<std::string, bool> answers_;
};

// While an object of this type lives, PathExists on this thread answers from
// one PathCache: files that appear or vanish meanwhile are not seen, so it
// spans one refresh and no more (a cache given to the scope may serve later
// questions about that refresh's rows too). Scopes do not nest: an inner one
// is ignored.
class PathCacheScope {
  public:
    PathCacheScope();                          // a cache of its own
    explicit PathCacheScope(PathCache& cache); // `cache`, which outlives the scope
    ~PathCacheScope();
    PathCacheScope(const PathCacheScope&) = delete;
    PathCacheScope& operator=(const PathCacheScope&) = delete;

  private:
    std::optional<PathCache> own_;
    bool active_ = false;
};

// The cache of this thread's scope; null outside one.
PathCache* CurrentPathCache();

} // namespace kv
