#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ns/Bundle.hpp"
#include "platform/ns/Object.hpp"

namespace pellavo::ui {

// An interface file: an XML description of objects (views, controllers), their
// properties and their connections, instantiated as many times as needed. The
// format is described in docs/interface-files.md.
class PELLAVO_EXPORT Nib {
public:
    struct Error {
        enum class Kind {
            missingFile,
            malformedXML,
            unknownRoot,
            unknownVersion,
            unknownClass,
            duplicateId,
            tooDeep,
        };
        Kind kind;
        std::string message;
        int line = 0;  // 0 when there is no line (a missing file)
    };
    struct Options {
        // Objects for the file's placeholders, by placeholder id.
        std::map<std::string, std::shared_ptr<ns::Object>, std::less<>> externalObjects;
    };

    // Files deeper than this are refused.
    static constexpr int maximumDepth = 64;

    // The file `<name>.xml` of the bundle. A missing file gives a nib whose
    // instantiate() fails with a missing-file error.
    static std::shared_ptr<Nib> make(std::string_view name, const ns::Bundle& bundle);
    static std::shared_ptr<Nib> fromData(std::string xml, std::string name);
    ~Nib();

    const std::string& name() const { return name_; }

    // The new top-level objects in document order (placeholders excluded): element 0
    // is the file's first top-level object. Empty on a fatal error.
    std::vector<std::shared_ptr<ns::Object>> instantiate(const std::shared_ptr<ns::Object>& owner,
                                                         const Options& options = {});
    const std::optional<Error>& lastError() const { return lastError_; }
    // The skipped items of the last instantiate, as logged.
    const std::vector<std::string>& lastWarnings() const { return lastWarnings_; }

    struct Document;

private:
    Nib() = default;
    std::string name_;
    std::shared_ptr<Document> document_;
    std::optional<Error> parseError_;
    std::optional<Error> lastError_;
    std::vector<std::string> lastWarnings_;
};

} // namespace pellavo::ui
