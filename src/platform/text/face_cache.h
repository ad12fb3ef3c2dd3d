// The faces fontconfig resolved in earlier runs of a program, kept in a file, so that a
// process that needs only those faces never reads fontconfig's configuration (which costs
// a short-lived process such as `sheenwork render` about half of its start-up).
//
// The file holds a stamp of everything the answers follow from: fontconfig's version, the
// file holding this code (its path, time and size: another build may substitute
// otherwise), the environment variables fontconfig reads, and the time and size of every
// configuration file and font folder it used, together with the places a user's
// configuration or fonts would go if there are none yet and Wine's font folder. A stamp
// holds while every one of those is as it was; when one changes (a configuration edited, a
// font installed or removed, a user folder created, the program rebuilt), the whole file
// is dropped and the faces are asked of fontconfig again. This is the rule fontconfig
// applies to its own caches of font folders.
//
// One file per program (its executable's name), as fontconfig's rules may match on it:
// $XDG_CACHE_HOME/sheenwork/faces-<program>, or ~/.cache/sheenwork/... Nothing is kept
// when neither variable is set or the folder cannot be written.
//
// Bounded: at most kMaxFaces faces and kMaxBytes bytes of file; a larger or malformed
// file is ignored (and replaced by the next save) without an error, as is a face whose
// font file is no longer a regular file.
#pragma once

#include <sheenwork/text/fonts.h>

#include <optional>
#include <string>
#include <vector>

namespace sheenwork::text {

class FaceCache {
public:
    static constexpr std::size_t kMaxFaces = 256;
    static constexpr std::size_t kMaxBytes = 256 * 1024;

    // What a stamp notes of one path: its modification time (nanoseconds) and size, or
    // -1 for both when it does not exist.
    struct Seen {
        std::string path;
        long long mtime = -1, size = -1;
        bool operator==(const Seen&) const = default;
    };
    struct Stamp {
        std::string version;  // fontconfig's and this code's build: Version()
        std::vector<std::pair<std::string, std::string>> environment;  // name, value
        std::vector<Seen> paths;
        bool operator==(const Stamp&) const = default;
    };
    struct Face {
        std::string family;
        int weight = 400;
        bool italic = false;
        ResolvedFace resolved;
    };

    // The cache of `file` (empty: none), read and checked against the system as it is now.
    explicit FaceCache(std::string file);
    // The cache of this process: the per-program file under the user's cache folder.
    static FaceCache& Session();

    // The face kept for a request; none when there is none or its font file has gone.
    std::optional<ResolvedFace> Find(const std::string& family, int weight, bool italic) const;
    // Adds a face fontconfig resolved and writes the file again, with `stamp` (taken of
    // the configuration fontconfig answered from). Faces kept under another stamp go.
    void Keep(const std::string& family, int weight, bool italic, const ResolvedFace& face,
              const Stamp& stamp);

    // The stamp of the configuration fontconfig has loaded now (which it loads if it has
    // not yet), its version line (fontconfig's version and this code's build), and whether
    // a stamp still holds for the paths and environment it names.
    static Stamp CurrentStamp();
    static std::string Version();
    static bool Holds(const Stamp& stamp);
    static Seen Look(const std::string& path);

    // The file's text for a stamp and faces, and back; Parse fails (none) on anything but
    // a file this writes, within the bounds.
    static std::string Format(const Stamp& stamp, const std::vector<Face>& faces);
    static bool Parse(const std::string& text, Stamp& stamp, std::vector<Face>& faces);

    std::size_t Count() const { return faces_.size(); }

private:
    void Save() const;
    std::string file_;
    Stamp stamp_;
    std::vector<Face> faces_;
};

}  // namespace sheenwork::text
