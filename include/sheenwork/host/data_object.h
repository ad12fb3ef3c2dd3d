// The host's drag-and-drop data object: data by clipboard format, and a file list.
#pragma once

#include <sheenwork/vb/boolean.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace sheenwork::host {

// Clipboard formats the host knows by number (vbCFText, vbCFBitmap, ..., vbCFFiles).
enum : int {
    vbCFText = 1,
    vbCFBitmap = 2,
    vbCFMetafile = 3,
    vbCFDIB = 8,
    vbCFPalette = 9,
    vbCFEMetafile = 14,
    vbCFFiles = 15,
    vbCFRTF = -16639
};

class DataObject {
public:
    void Clear() {
        data_.clear();
        files_.clear();
    }
    // Whether data of `format` is present (files count as vbCFFiles).
    vb::Boolean GetFormat(int format) const {
        return format == vbCFFiles ? vb::Boolean(!files_.empty())
                                   : vb::Boolean(data_.count(format) > 0);
    }
    // The data of `format`; "" when there is none.
    std::string GetData(int format) const {
        const auto it = data_.find(format);
        return it == data_.end() ? std::string() : it->second;
    }
    void SetData(std::string value, int format) { data_[format] = std::move(value); }
    std::vector<std::string>& Files() { return files_; }
    const std::vector<std::string>& Files() const { return files_; }

private:
    std::map<int, std::string> data_;
    std::vector<std::string> files_;
};

using DataObjectRef = std::shared_ptr<DataObject>;

}  // namespace sheenwork::host
