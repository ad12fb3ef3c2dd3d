// Writing a form file: the text of a description, and replacing the file on disk so that
// a reader finds either the old form or the new one, never a part.
//
// Every value is written so that reading gives it back exactly: strings with their
// escapes, Singles in the shortest decimal that reads back to the same bits, colours as
// &H...&, font sizes as the four decimals the font keeps.
#include <sheenwork/runtime/form_file.h>
#include <sheenwork/vb/ansi.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "runtime/form_file_detail.h"

namespace sheenwork::runtime {
namespace {

// Printable ASCII and well-formed UTF-8 as they are, so that a caption stays readable;
// every other byte escaped, so that any string comes back byte for byte.
std::string Quote(std::string_view s) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (std::size_t i = 0; i < s.size();) {
        const char c = s[i];
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else if (const std::size_t n = byte >= 0x80 ? vb::DecodeUtf8(s, i).length : 0) {
            out.append(s.substr(i, n));
            i += n;
            continue;
        } else {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
        ++i;
    }
    return out + "\"";
}

std::string ColorText(std::uint32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "&H%08X&", c);
    return buf;
}

[[noreturn]] void Refuse(const std::filesystem::path& path, const std::string& why) {
    throw FormFileError({{path.string(), 0, 0, "cannot write the form: " + why}});
}

class Writer {
public:
    Writer(const std::filesystem::path& path, const formfile::Libraries& libraries)
        : path_(path), libraries_(libraries) {
        std::error_code ec;
        folder_ = std::filesystem::absolute(path, ec).parent_path().lexically_normal();
    }

    std::string Write(const FormFile& form) {
        Name(form.name, "the form");
        Line(0, "Begin Form " + form.name);
        Key(1, "Caption", Quote(form.caption));
        Key(1, "Left", std::to_string(form.position.left));
        Key(1, "Top", std::to_string(form.position.top));
        Key(1, "Width", std::to_string(form.size.width));
        Key(1, "Height", std::to_string(form.size.height));
        Key(1, "BackColor", ColorText(form.back_color));
        if (!form.default_button.empty()) Key(1, "DefaultButton", Quote(form.default_button));
        if (!form.cancel_button.empty()) Key(1, "CancelButton", Quote(form.cancel_button));
        if (form.font) Font(1, "Font", *form.font);
        for (const ControlDescription& c : form.controls) Control(c);
        Line(0, "End");
        return std::move(out_);
    }

private:
    void Line(int depth, const std::string& text) {
        out_.append(static_cast<std::size_t>(depth) * 4, ' ');
        out_ += text;
        out_ += '\n';
    }
    void Key(int depth, const std::string& key, const std::string& value) {
        Line(depth, key + " = " + value);
    }

    void Name(const std::string& name, const std::string& what) {
        if (!formfile::IsName(name))
            Refuse(path_, what + " is named \"" + name +
                              "\": a name is a letter, then letters, digits or _");
    }

    void Control(const ControlDescription& c) {
        const ClassDescription* cls = formfile::FindControlClass(libraries_, c.class_name);
        if (!cls) Refuse(path_, c.name + ": unknown control class " + c.class_name);
        Name(c.name, "a control");
        Line(1, "Begin " + c.class_name + " " + c.name);
        Key(2, "Left", std::to_string(c.position.left));
        Key(2, "Top", std::to_string(c.position.top));
        Key(2, "Width", std::to_string(c.size.width));
        Key(2, "Height", std::to_string(c.size.height));
        Key(2, "TabIndex", std::to_string(c.tab_index));
        for (const FormFileProperty& p : c.properties) {
            const PersistedProperty* key = formfile::FindKey(*cls, p.key);
            if (!key) Refuse(path_, c.name + ": " + c.class_name + " saves no key " + p.key);
            try {
                Property(c, *cls, *key, p.value);
            } catch (const vb::RuntimeError& e) {
                Refuse(path_, c.name + "." + p.key + ": " + e.Description());
            }
        }
        Line(1, "End");
    }

    // Throws vb::RuntimeError for a value that does not convert to the key's type.
    void Property(const ControlDescription& c, const ClassDescription& cls,
                  const PersistedProperty& key, const vb::Variant& v) {
        const std::string where = c.name + "." + key.key;
        switch (key.type) {
            case PersistedType::String: return Key(2, key.key, Quote(vb::CStr(v)));
            case PersistedType::Long: {
                // An enumerated key's value by its member's name where it has one.
                const vb::Long n = vb::CLng(v);
                const EnumInfo* names = formfile::KeyEnumeration(libraries_, cls, key.key);
                const EnumMember* m = names ? formfile::FindEnumMember(*names, n) : nullptr;
                return Key(2, key.key, m ? m->name : std::to_string(n));
            }
            case PersistedType::Integer: return Key(2, key.key, std::to_string(vb::CInt(v)));
            case PersistedType::Color:
                return Key(2, key.key, ColorText(static_cast<std::uint32_t>(vb::CLng(v))));
            case PersistedType::Boolean: return Key(2, key.key, vb::CBool(v) ? "True" : "False");
            case PersistedType::Single: {
                const vb::Single f = vb::CSng(v);
                if (!std::isfinite(f)) Refuse(path_, where + ": a Single that is not a number");
                char buf[32];
                const auto r = std::to_chars(buf, buf + sizeof buf, f);
                return Key(2, key.key, std::string(buf, r.ptr));
            }
            case PersistedType::Font: {
                const auto font = vb::CObj(v).As<vb::StdFont>();
                if (!font) Refuse(path_, where + ": not a font");
                return Font(2, key.key, *font);
            }
            case PersistedType::Picture: {
                const auto picture = vb::CObj(v).As<vb::StdPicture>();
                if (!picture) Refuse(path_, where + ": not a picture");
                return Key(2, key.key, Quote(PicturePath(where, *picture)));
            }
        }
    }

    std::string PicturePath(const std::string& where, const vb::StdPicture& p) {
        if (!p.SourceFile().empty())
            return std::filesystem::path(p.SourceFile())
                .lexically_relative(folder_)
                .generic_string();
        // The empty picture is what an empty path loads; any other needs its file.
        if (p.Type() == vb::PictureType::None && p.PixelWidth() == 0) return "";
        Refuse(path_, where +
                          ": the picture was not loaded from a file, so the form cannot "
                          "refer to it; load it with LoadPicture from a file first");
    }

    void Font(int depth, const std::string& key, const vb::StdFont& f) {
        Line(depth, key == "Font" ? "Begin Font" : "Begin Font " + key);
        Key(depth + 1, "Name", Quote(f.Name()));
        // The font keeps ten-thousandths of a point: write those, without trailing zeros.
        const long long e4 = std::llround(f.Size() * 10000.0);
        std::string size = std::to_string(e4 / 10000);
        if (e4 % 10000 != 0) {
            char frac[8];
            std::snprintf(frac, sizeof frac, "%04lld", e4 % 10000);
            std::string decimals = frac;
            while (decimals.back() == '0') decimals.pop_back();
            size += "." + decimals;
        }
        Key(depth + 1, "Size", size);
        Key(depth + 1, "Weight", std::to_string(f.Weight()));
        Key(depth + 1, "Italic", f.Italic() ? "True" : "False");
        Key(depth + 1, "Underline", f.Underline() ? "True" : "False");
        Key(depth + 1, "Strikethrough", f.Strikethrough() ? "True" : "False");
        Key(depth + 1, "Charset", std::to_string(f.Charset()));
        Line(depth, "End");
    }

    const std::filesystem::path& path_;
    const formfile::Libraries& libraries_;
    std::filesystem::path folder_;
    std::string out_;
};

}  // namespace

std::string FormatFormFile(const FormFile& form, const std::filesystem::path& path,
                           const std::vector<const LibraryDescription*>& libraries) {
    return Writer(path, libraries).Write(form);
}

// ---- Replacing a file ----

namespace {

// A save's temporary file: ".NAME.tmpPID-N" beside the file it replaces.
std::string TemporaryPrefix(const std::filesystem::path& target) {
    return "." + target.filename().string() + ".tmp";
}

// The process a temporary of `target` named `entry` belongs to; 0 when `entry` is no such
// temporary.
pid_t TemporaryOwner(const std::string& entry, const std::string& prefix) {
    if (!entry.starts_with(prefix)) return 0;
    const std::string_view rest = std::string_view(entry).substr(prefix.size());
    const std::size_t dash = rest.find('-');
    if (dash == std::string_view::npos) return 0;
    long long pid = 0, n = 0;
    const auto a = std::from_chars(rest.data(), rest.data() + dash, pid);
    const auto b = std::from_chars(rest.data() + dash + 1, rest.data() + rest.size(), n);
    if (a.ptr != rest.data() + dash || a.ec != std::errc() || b.ptr != rest.data() + rest.size() ||
        b.ec != std::errc() || pid <= 0 || pid > INT32_MAX)
        return 0;
    return static_cast<pid_t>(pid);
}

// Removes the temporaries of `target` that a save left when its process ended in the
// middle (killed, or the machine stopped). A live process may be saving right now, so
// only those of processes that are gone go; nothing here stops the save.
void RemoveStaleTemporaries(const std::filesystem::path& folder,
                            const std::filesystem::path& target, FileOps& ops) {
    const std::string prefix = TemporaryPrefix(target);
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const pid_t owner = TemporaryOwner(it->path().filename().string(), prefix);
        if (owner == 0 || owner == ::getpid()) continue;
        if (!ops.ProcessEnded(owner)) continue;
        std::error_code ignored;
        if (it->symlink_status(ignored).type() == std::filesystem::file_type::regular)
            std::filesystem::remove(it->path(), ignored);
    }
}

}  // namespace

void ReplaceFile(const std::filesystem::path& path, std::string_view contents, FileOps& ops) {
    const auto fail = [&](const std::string& step) {
        throw FormFileError(
            {{path.string(), 0, 0, "cannot save the file: " + step + ": " + std::strerror(errno)}});
    };
    // A link is kept and the file it leads to (through every link of a chain) is the one
    // replaced, in its own folder: replacing the link would leave that file stale.
    std::filesystem::path target = path;
    for (int links = 0;; ++links) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(target, ec)) break;
        if (links == 40) {
            errno = ELOOP;
            fail("following the link " + path.string());
        }
        const std::filesystem::path next = std::filesystem::read_symlink(target, ec);
        if (ec) {
            errno = ec.value();
            fail("reading the link " + target.string());
        }
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    // The new file gets the old one's permissions exactly (whatever the umask says); a
    // file that is new takes the usual ones.
    struct stat old {};
    const bool existed = ::stat(target.string().c_str(), &old) == 0;
    const unsigned mode = existed ? (old.st_mode & 07777) : 0666;
    RemoveStaleTemporaries(folder, target, ops);

    static std::atomic<unsigned> counter{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temp = (folder / (TemporaryPrefix(target) + std::to_string(::getpid()) + "-" +
                          std::to_string(counter++)))
                   .string();
        fd = ops.Create(temp, mode);
        if (fd < 0 && (errno != EEXIST || attempt == 100)) fail("creating " + temp);
    }
    // Until the rename, the old file is untouched and the new one is thrown away.
    const auto abandon = [&](const std::string& step, bool open) {
        const int saved = errno;
        if (open) ops.Close(fd);
        ops.Remove(temp);
        errno = saved;
        fail(step);
    };
    if (existed && ops.Chmod(fd, mode) != 0) abandon("setting the permissions of " + temp, true);
    for (std::size_t done = 0; done < contents.size();) {
        const std::size_t chunk = std::min<std::size_t>(contents.size() - done, 4096);
        const long n = ops.Write(fd, contents.data() + done, chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            abandon("writing " + temp, true);
        }
        done += static_cast<std::size_t>(n);
    }
    if (ops.Sync(fd) != 0) abandon("syncing " + temp, true);
    if (ops.Close(fd) != 0) abandon("closing " + temp, false);
    if (ops.Rename(temp, target.string()) != 0) abandon("renaming " + temp, false);
    if (ops.SyncFolder(folder.string()) != 0) fail("syncing the folder " + folder.string());
}

void WriteFormFile(const FormFile& form, const std::filesystem::path& path, FileOps& ops) {
    ReplaceFile(path, FormatFormFile(form, path), ops);
}

}  // namespace sheenwork::runtime
