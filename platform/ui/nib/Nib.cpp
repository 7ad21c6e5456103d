#include "platform/ui/nib/Nib.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <typeindex>
#include <utility>

#include <pugixml.hpp>

#include "platform/ns/Coder.hpp"
#include "platform/ns/Console.hpp"
#include "platform/ns/ParagraphStyle.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/control/Button.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/control/Control.hpp"
#include "platform/ui/text/Font.hpp"
#include "platform/ui/graphics/Image.hpp"
#include "platform/ui/view/View.hpp"
#include "platform/ui/controller/ViewController.hpp"

namespace pellavo::ui {

struct Nib::Document {
    pugi::xml_document xml;
    std::vector<std::size_t> newlines;  // offsets of '\n' in the source

    int line(std::ptrdiff_t offset) const {
        if (offset < 0) return 0;
        auto it = std::upper_bound(newlines.begin(), newlines.end(), static_cast<std::size_t>(offset));
        return static_cast<int>(it - newlines.begin()) + 1;
    }
    int line(const pugi::xml_node& node) const { return line(node.offset_debug()); }
};

namespace {

// ---------------------------------------------------------------- value parsing

std::vector<std::string> words(std::string_view text) {
    std::vector<std::string> result;
    std::istringstream in{std::string(text)};
    std::string word;
    while (in >> word) result.push_back(word);
    return result;
}

std::optional<double> parseNumber(std::string_view text) {
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<int64_t> parseInteger(std::string_view text) {
    int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<std::vector<double>> parseNumbers(std::string_view text, std::size_t count) {
    auto parts = words(text);
    if (parts.size() != count) return std::nullopt;
    std::vector<double> result;
    for (const auto& part : parts) {
        auto n = parseNumber(part);
        if (!n) return std::nullopt;
        result.push_back(*n);
    }
    return result;
}

std::optional<Color> parseColor(std::string_view text) {
    if (!text.empty() && text[0] == '#') {
        const std::string_view hex = text.substr(1);
        if (hex.size() != 6 && hex.size() != 8) return std::nullopt;
        double channels[4] = {0, 0, 0, 1};
        for (std::size_t i = 0; i < hex.size() / 2; ++i) {
            unsigned byte = 0;
            auto [end, error] = std::from_chars(hex.data() + 2 * i, hex.data() + 2 * i + 2, byte, 16);
            if (error != std::errc() || end != hex.data() + 2 * i + 2) return std::nullopt;
            channels[i] = byte / 255.0;
        }
        return Color(channels[0], channels[1], channels[2], channels[3]);
    }
    static const std::map<std::string, Color, std::less<>> names = {
        {"clear", Color::clear()},         {"black", Color::black()},       {"white", Color::white()},
        {"gray", Color::gray()},           {"lightGray", Color::lightGray()}, {"darkGray", Color::darkGray()},
        {"red", Color::red()},             {"green", Color(0, 1, 0, 1)},    {"blue", Color::blue()},
    };
    auto it = names.find(text);
    if (it == names.end()) return std::nullopt;
    return it->second;
}

std::optional<Font> parseFont(std::string_view text) {
    const auto space = text.find_last_of(' ');
    if (space == std::string_view::npos || space == 0) return std::nullopt;
    const std::string_view name = text.substr(0, space);
    auto size = parseNumber(text.substr(space + 1));
    if (!size || *size <= 0) return std::nullopt;
    if (name == "system") return Font::systemFont(*size);
    if (name == "system-bold") return Font::boldSystemFont(*size);
    return Font(name, *size);
}

using Enumeration = std::vector<std::pair<std::string_view, int64_t>>;

const std::map<std::type_index, Enumeration>& enumerations() {
    using CM = View::ContentMode;
    using AM = View::AutoresizingMask;
    auto v = [](auto e) { return static_cast<int64_t>(e); };
    static const std::map<std::type_index, Enumeration> table = {
        {typeid(CM),
         {{"scaleToFill", v(CM::scaleToFill)}, {"scaleAspectFit", v(CM::scaleAspectFit)},
          {"scaleAspectFill", v(CM::scaleAspectFill)}, {"redraw", v(CM::redraw)}, {"center", v(CM::center)},
          {"top", v(CM::top)}, {"bottom", v(CM::bottom)}, {"left", v(CM::left)}, {"right", v(CM::right)},
          {"topLeft", v(CM::topLeft)}, {"topRight", v(CM::topRight)}, {"bottomLeft", v(CM::bottomLeft)},
          {"bottomRight", v(CM::bottomRight)}}},
        {typeid(ns::TextAlignment),
         {{"left", v(ns::TextAlignment::left)}, {"center", v(ns::TextAlignment::center)},
          {"right", v(ns::TextAlignment::right)}, {"justified", v(ns::TextAlignment::justified)},
          {"natural", v(ns::TextAlignment::natural)}}},
        {typeid(AM),
         {{"none", v(AM::none)}, {"flexibleLeftMargin", v(AM::flexibleLeftMargin)},
          {"flexibleWidth", v(AM::flexibleWidth)}, {"flexibleRightMargin", v(AM::flexibleRightMargin)},
          {"flexibleTopMargin", v(AM::flexibleTopMargin)}, {"flexibleHeight", v(AM::flexibleHeight)},
          {"flexibleBottomMargin", v(AM::flexibleBottomMargin)}}},
    };
    return table;
}

// Bit sets take several case names separated by spaces or '|'.
bool isBitSet(std::type_index type) { return type == typeid(View::AutoresizingMask); }

std::optional<ns::Value> parseEnumeration(std::type_index type, std::string_view text) {
    const auto& table = enumerations();
    auto it = table.find(type);
    if (it == table.end()) return std::nullopt;
    auto lookup = [&](std::string_view name) -> std::optional<int64_t> {
        for (const auto& [caseName, value] : it->second)
            if (caseName == name) return value;
        return parseInteger(name);
    };
    if (!isBitSet(type)) {
        auto value = lookup(text);
        if (!value) return std::nullopt;
        return ns::Value::of(*value);
    }
    std::string spaced(text);
    std::replace(spaced.begin(), spaced.end(), '|', ' ');
    int64_t bits = 0;
    const auto parts = words(spaced);
    if (parts.empty()) return std::nullopt;
    for (const auto& part : parts) {
        auto value = lookup(part);
        if (!value) return std::nullopt;
        bits |= *value;
    }
    return ns::Value::of(bits);
}

// The text as a value of the property's type, or nullopt when it does not parse.
std::optional<ns::Value> parseValue(std::type_index type, std::string_view text) {
    auto is = [&](auto tag) { return type == std::type_index(typeid(decltype(tag))); };
    if (is(bool{})) {
        if (text == "true") return ns::Value::of(true);
        if (text == "false") return ns::Value::of(false);
        return std::nullopt;
    }
    if (is(int{}) || is(unsigned{}) || is(long{}) || is(int64_t{}) || is(std::size_t{}) || is(short{})) {
        auto n = parseInteger(text);
        if (!n) return std::nullopt;
        return ns::Value::of(*n);
    }
    if (is(double{}) || is(float{})) {
        auto n = parseNumber(text);
        if (!n) return std::nullopt;
        return ns::Value::of(*n);
    }
    if (is(Color{}) || is(std::optional<Color>{})) {
        auto c = parseColor(text);
        if (!c) return std::nullopt;
        return ns::Value::of(*c);
    }
    if (is(std::vector<Color>{}) || is(std::optional<std::vector<Color>>{})) {
        std::vector<Color> colors;
        for (const auto& word : words(text)) {
            auto c = parseColor(word);
            if (!c) return std::nullopt;
            colors.push_back(*c);
        }
        return ns::Value::of(std::move(colors));
    }
    if (is(Font{}) || is(std::optional<Font>{})) {
        auto f = parseFont(text);
        if (!f) return std::nullopt;
        return ns::Value::of(*f);
    }
    if (is(ns::String{}) || is(std::optional<ns::String>{})) return ns::Value::of(ns::String(std::string(text)));
    if (is(std::string{})) return ns::Value::of(std::string(text));
    if (is(cg::Point{})) {
        auto n = parseNumbers(text, 2);
        if (!n) return std::nullopt;
        return ns::Value::of(cg::Point{(*n)[0], (*n)[1]});
    }
    if (is(cg::Size{})) {
        auto n = parseNumbers(text, 2);
        if (!n) return std::nullopt;
        return ns::Value::of(cg::Size{(*n)[0], (*n)[1]});
    }
    if (is(cg::Rect{})) {
        auto n = parseNumbers(text, 4);
        if (!n) return std::nullopt;
        return ns::Value::of(cg::Rect{{(*n)[0], (*n)[1]}, {(*n)[2], (*n)[3]}});
    }
    if (is(EdgeInsets{})) {
        auto n = parseNumbers(text, 4);
        if (!n) return std::nullopt;
        return ns::Value::of(EdgeInsets{(*n)[0], (*n)[1], (*n)[2], (*n)[3]});
    }
    if (is(Image{}) || is(std::optional<Image>{})) {
        Image image = Image::named(text);
        if (image.cgImage() == nullptr) return std::nullopt;
        return ns::Value::of(std::move(image));
    }
    return parseEnumeration(type, text);
}

std::optional<Control::Event> parseEvent(std::string_view name) {
    using E = Control::Event;
    static const std::map<std::string, E, std::less<>> events = {
        {"touchDown", E::touchDown},           {"touchUpInside", E::touchUpInside},
        {"touchUpOutside", E::touchUpOutside}, {"touchCancel", E::touchCancel},
        {"valueChanged", E::valueChanged},     {"editingDidBegin", E::editingDidBegin},
        {"editingChanged", E::editingChanged}, {"editingDidEnd", E::editingDidEnd},
        {"allEvents", E::allEvents},
    };
    auto it = events.find(name);
    if (it == events.end()) return std::nullopt;
    return it->second;
}

std::optional<Control::State> parseState(std::string_view name) {
    using S = Control::State;
    if (name == "normal") return S::normal;
    if (name == "highlighted") return S::highlighted;
    if (name == "disabled") return S::disabled;
    if (name == "selected") return S::selected;
    return std::nullopt;
}

// ---------------------------------------------------------------- one instantiation

struct FatalError {
    Nib::Error error;
};

struct Made {
    std::shared_ptr<ns::Object> object;
    pugi::xml_node node;
};

class Loader {
public:
    Loader(const Nib::Document& document, const std::string& name, std::shared_ptr<ns::Object> owner,
           const Nib::Options& options)
        : document_(document), name_(name), owner_(std::move(owner)), options_(options) {}

    std::vector<std::string> warnings;

    std::vector<std::shared_ptr<ns::Object>> run() {
        const pugi::xml_node root = document_.xml.document_element();
        if (std::string_view(root.name()) != "interface")
            fail(Nib::Error::Kind::unknownRoot, "unknown root element '" + std::string(root.name()) + "'", root);
        if (std::string_view(root.attribute("version").value()) != "1")
            fail(Nib::Error::Kind::unknownVersion,
                 "unknown version '" + std::string(root.attribute("version").value()) + "'", root);

        std::vector<std::shared_ptr<ns::Object>> topLevel;
        std::vector<pugi::xml_node> placeholderNodes;
        for (pugi::xml_node child : root.children()) {
            if (child.type() != pugi::node_element) continue;
            const std::string_view element = child.name();
            if (element == "placeholder") {
                claimId(child);
                placeholderNodes.push_back(child);
            } else if (element == "object") {
                topLevel.push_back(create(child, 1));
            } else {
                warn(child, "unknown element '" + std::string(element) + "'");
            }
        }
        for (const auto& node : placeholderNodes) {
            const std::string id = node.attribute("id").value();
            if (std::string_view(node.attribute("role").value()) == "owner") {
                placeholders_[id] = owner_;
                ownerIds_.push_back(id);
            } else {
                auto it = options_.externalObjects.find(id);
                placeholders_[id] = it != options_.externalObjects.end() ? it->second : nullptr;
            }
        }

        for (const auto& made : made_) applyProperties(made);
        for (const auto& node : placeholderNodes) connectOutlets(node, placeholders_[node.attribute("id").value()]);
        for (const auto& made : made_) connectOutlets(made.node, made.object);
        for (const auto& made : made_) connectActions(made);
        for (const auto& made : made_) made.object->awakeFromNib();
        return topLevel;
    }

private:
    [[noreturn]] void fail(Nib::Error::Kind kind, std::string message, const pugi::xml_node& node) {
        throw FatalError{{kind, std::move(message), document_.line(node)}};
    }

    void warn(const pugi::xml_node& node, const std::string& problem) {
        std::string line = "Interface file '" + name_ + "' line " + std::to_string(document_.line(node)) + ": " +
                           problem + "; skipped";
        ns::log(line);
        warnings.push_back(std::move(line));
    }

    void claimId(const pugi::xml_node& node) {
        const std::string id = node.attribute("id").value();
        if (id.empty()) return;
        if (!ids_.insert(id).second) fail(Nib::Error::Kind::duplicateId, "duplicate id '" + id + "'", node);
    }

    // Children first, so that the parent's coder can carry them.
    std::shared_ptr<ns::Object> create(const pugi::xml_node& node, int depth) {
        if (depth > Nib::maximumDepth)
            fail(Nib::Error::Kind::tooDeep,
                 "nesting deeper than " + std::to_string(Nib::maximumDepth) + " levels", node);
        claimId(node);
        const std::string className = node.attribute("class").value();
        auto& runtime = ns::Runtime::shared();
        if (!runtime.isClassRegistered(className))
            fail(Nib::Error::Kind::unknownClass, "unknown class '" + className + "'", node);

        // The parent comes before its children in document order.
        const std::size_t slot = made_.size();
        made_.push_back({nullptr, node});

        ns::Coder coder;
        if (auto frame = node.attribute("frame")) {
            if (auto value = parseValue(typeid(cg::Rect), frame.value()))
                coder.encode(ns::Coder::frameKey, *value);
            else
                warn(node, "frame '" + std::string(frame.value()) + "' does not parse");
        }
        std::vector<std::shared_ptr<ns::Object>> subviews;
        for (pugi::xml_node child : node.children()) {
            const std::string_view element = child.name();
            if (element == "subviews") {
                for (pugi::xml_node sub : child.children("object")) subviews.push_back(create(sub, depth + 2));
            } else if (element == "object") {
                const std::string key = child.attribute("key").value();
                if (key.empty()) {
                    warn(child, "an object inside an object needs a key");
                    continue;
                }
                coder.encode(key, ns::Value::of(create(child, depth + 1)));
            }
        }
        if (!subviews.empty()) coder.encodeObjects(ns::Coder::subviewsKey, subviews);

        std::shared_ptr<ns::Object> object = runtime.create(className, coder);
        if (!object) fail(Nib::Error::Kind::unknownClass, "the class '" + className + "' cannot be loaded", node);
        if (!runtime.hasCoderFactory(className)) decodeInto(*object, coder);
        made_[slot].object = object;
        return object;
    }

    // What a coder constructor would have done, for classes made without one.
    static void decodeInto(ns::Object& object, const ns::Coder& coder) {
        if (auto* view = dynamic_cast<View*>(&object)) {
            if (auto frame = coder.decode<cg::Rect>(ns::Coder::frameKey)) view->setFrame(*frame);
            for (const auto& subview :
                 coder.decode<std::vector<std::shared_ptr<View>>>(ns::Coder::subviewsKey).value_or(
                     std::vector<std::shared_ptr<View>>{}))
                view->addSubview(subview);
        } else if (auto* controller = dynamic_cast<ViewController*>(&object)) {
            if (auto root = coder.decode<std::shared_ptr<View>>(ns::Coder::viewKey)) controller->setView(*root);
        }
    }

    void applyProperties(const Made& made) {
        auto& runtime = ns::Runtime::shared();
        const std::string className(made.object->className());
        for (pugi::xml_node property : made.node.children("property")) {
            const std::string key = property.attribute("name").value();
            const std::string text = property.attribute("value").value();
            auto type = runtime.propertyType(className, key);
            if (!type) {
                warn(property, "unknown property '" + key + "' of " + className);
                continue;
            }
            auto value = parseValue(*type, text);
            if (!value) {
                warn(property, "the value '" + text + "' of '" + key + "' does not parse");
                continue;
            }
            if (!runtime.setValue(*made.object, key, *value)) warn(property, "'" + key + "' cannot be set");
        }
        for (pugi::xml_node stateNode : made.node.children("state")) {
            auto* button = dynamic_cast<Button*>(made.object.get());
            auto state = parseState(stateNode.attribute("name").value());
            if (button == nullptr || !state) {
                warn(stateNode, "unknown state '" + std::string(stateNode.attribute("name").value()) + "'");
                continue;
            }
            if (auto title = stateNode.attribute("title")) button->setTitle(ns::String(title.value()), *state);
            if (auto colorText = stateNode.attribute("titleColor")) {
                if (auto color = parseColor(colorText.value()))
                    button->setTitleColor(*color, *state);
                else
                    warn(stateNode, "the value '" + std::string(colorText.value()) + "' of 'titleColor' does not parse");
            }
            if (auto imageName = stateNode.attribute("image")) {
                Image image = Image::named(imageName.value());
                if (image.cgImage() != nullptr)
                    button->setImage(image, *state);
                else
                    warn(stateNode, "the value '" + std::string(imageName.value()) + "' of 'image' does not parse");
            }
        }
    }

    // Resolves a destination; false (after a warning) when the connection is skipped.
    bool destination(const pugi::xml_node& node, std::shared_ptr<ns::Object>& out) {
        const std::string id = node.attribute("destination").value();
        if (auto p = placeholders_.find(id); p != placeholders_.end()) {
            if (!p->second) {
                warn(node, isOwner(id) ? "owner connection with no owner" : "no object for the placeholder '" + id + "'");
                return false;
            }
            out = p->second;
            return true;
        }
        for (const auto& made : made_) {
            if (id == made.node.attribute("id").value()) {
                out = made.object;
                return true;
            }
        }
        warn(node, "unknown destination '" + id + "'");
        return false;
    }

    bool isOwner(const std::string& id) const {
        return std::find(ownerIds_.begin(), ownerIds_.end(), id) != ownerIds_.end();
    }

    void connectOutlets(const pugi::xml_node& node, const std::shared_ptr<ns::Object>& source) {
        auto& runtime = ns::Runtime::shared();
        for (pugi::xml_node outlet : node.children("outlet")) {
            if (!source) {
                const std::string id = node.attribute("id").value();
                warn(outlet, isOwner(id) ? "owner connection with no owner" : "no object for the placeholder '" + id + "'");
                continue;
            }
            std::shared_ptr<ns::Object> target;
            if (!destination(outlet, target)) continue;
            const std::string key = outlet.attribute("property").value();
            const std::string className(source->className());
            if (!runtime.propertyType(className, key)) {
                warn(outlet, "unknown outlet '" + key + "' of " + className);
                continue;
            }
            if (!runtime.setValue(*source, key, ns::Value::of(target)))
                warn(outlet, "the outlet '" + key + "' cannot hold the destination");
        }
    }

    void connectActions(const Made& made) {
        auto& runtime = ns::Runtime::shared();
        for (pugi::xml_node action : made.node.children("action")) {
            auto* control = dynamic_cast<Control*>(made.object.get());
            if (control == nullptr) {
                warn(action, "an action needs a control");
                continue;
            }
            std::shared_ptr<ns::Object> target;
            if (!destination(action, target)) continue;
            const std::string eventName = action.attribute("event").value();
            auto event = parseEvent(eventName);
            if (!event) {
                warn(action, "unknown event '" + eventName + "'");
                continue;
            }
            const ns::Selector selector(action.attribute("selector").value());
            if (!runtime.respondsToSelector(*target, selector)) {
                warn(action, "the destination does not respond to '" + std::string(action.attribute("selector").value()) + "'");
                continue;
            }
            control->addTarget(std::weak_ptr<ns::Object>(target), selector, *event);
        }
    }

    const Nib::Document& document_;
    const std::string& name_;
    std::shared_ptr<ns::Object> owner_;
    const Nib::Options& options_;
    std::set<std::string> ids_;
    std::map<std::string, std::shared_ptr<ns::Object>> placeholders_;
    std::vector<std::string> ownerIds_;
    std::vector<Made> made_;
};

void logFatal(const std::string& name, const Nib::Error& error) {
    ns::log("Could not load interface file '" + name + "': " + error.message + " (line " + std::to_string(error.line) +
            ")");
}

// A controller with a nib name finds its loader as soon as the library is loaded.
[[maybe_unused]] const bool loaderInstalled = [] {
    ViewController::setNibLoader([](ViewController& owner, const ns::String& nibName, const ns::Bundle& bundle) {
        auto nib = Nib::make(nibName.utf8(), bundle);
        nib->instantiate(owner.sharedFromThis());
    });
    return true;
}();

} // namespace

Nib::~Nib() = default;

std::shared_ptr<Nib> Nib::fromData(std::string xml, std::string name) {
    std::shared_ptr<Nib> nib(new Nib());
    nib->name_ = std::move(name);
    auto document = std::make_shared<Document>();
    for (std::size_t i = 0; i < xml.size(); ++i)
        if (xml[i] == '\n') document->newlines.push_back(i);
    const pugi::xml_parse_result result = document->xml.load_buffer(xml.data(), xml.size());
    if (!result) {
        nib->parseError_ = Error{Error::Kind::malformedXML, result.description(), document->line(result.offset)};
    } else {
        nib->document_ = std::move(document);
    }
    nib->lastError_ = nib->parseError_;
    return nib;
}

std::shared_ptr<Nib> Nib::make(std::string_view name, const ns::Bundle& bundle) {
    auto path = bundle.path(name, "xml");
    std::string xml;
    bool readable = false;
    if (path) {
        std::ifstream in(*path, std::ios::binary);
        if (in) {
            std::ostringstream text;
            text << in.rdbuf();
            xml = text.str();
            readable = true;
        }
    }
    if (!readable) {
        std::shared_ptr<Nib> nib(new Nib());
        nib->name_ = std::string(name);
        nib->parseError_ = Error{Error::Kind::missingFile, "no such file", 0};
        nib->lastError_ = nib->parseError_;
        return nib;
    }
    return fromData(std::move(xml), std::string(name));
}

std::vector<std::shared_ptr<ns::Object>> Nib::instantiate(const std::shared_ptr<ns::Object>& owner,
                                                          const Options& options) {
    lastWarnings_.clear();
    lastError_.reset();
    if (parseError_ || !document_) {
        lastError_ = parseError_;
        logFatal(name_, *lastError_);
        return {};
    }
    Loader loader(*document_, name_, owner, options);
    try {
        auto objects = loader.run();
        lastWarnings_ = std::move(loader.warnings);
        return objects;
    } catch (const FatalError& fatal) {
        // Whatever was made dies with the loader, without awakeFromNib.
        lastWarnings_ = std::move(loader.warnings);
        lastError_ = fatal.error;
        logFatal(name_, fatal.error);
        return {};
    }
}

} // namespace pellavo::ui
