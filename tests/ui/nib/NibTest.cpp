#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ns/Runtime.hpp"
#include "platform/ui/control/Button.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "platform/ui/controller/ViewController.hpp"
#include "tests/support/PlatformTest.hpp"

namespace pellavo {
namespace {

using Strings = std::vector<std::string>;

Strings& events() {
    static Strings log;
    return log;
}

struct NibTestOwner : ns::Object {
    std::string_view className() const override { return "NibTestOwner"; }
    std::shared_ptr<ui::Label> titleLabel() const { return titleLabel_.lock(); }
    void setTitleLabel(std::shared_ptr<ui::Label> label) { titleLabel_ = label; }  // weak outlet
    void okPressed(ui::Button* sender) { pressedBy.push_back(sender); }
    std::vector<ui::Button*> pressedBy;

private:
    std::weak_ptr<ui::Label> titleLabel_;
};

// Records awakeFromNib with whether its strong outlet was already set.
struct NibTestAwakeView : ui::View {
    using ui::View::View;
    std::string_view className() const override { return "NibTestAwakeView"; }
    std::shared_ptr<ui::View> partner() const { return partner_; }
    void setPartner(std::shared_ptr<ui::View> view) { partner_ = std::move(view); }
    void awakeFromNib() override {
        ui::View::awakeFromNib();
        events().push_back("awake " + std::to_string(tag()) + (partner_ ? " linked" : ""));
    }

private:
    std::shared_ptr<ui::View> partner_;
};

struct NibTestController : ui::ViewController {
    using ui::ViewController::ViewController;
    std::string_view className() const override { return "NibTestController"; }
    void viewDidLoad() override { events().push_back("viewDidLoad"); }
};

class NibTest : public testing::PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        events().clear();
        auto& rt = ns::Runtime::shared();
        rt.registerClass<NibTestOwner>("NibTestOwner");
        rt.addProperty<NibTestOwner, std::shared_ptr<ui::Label>>("NibTestOwner", "titleLabel", &NibTestOwner::titleLabel,
                                                                  &NibTestOwner::setTitleLabel);
        rt.addAction("NibTestOwner", ns::Selector("okPressed:"), &NibTestOwner::okPressed);
        rt.registerClass<NibTestAwakeView>("NibTestAwakeView", "UIView");
        rt.addProperty<NibTestAwakeView, std::shared_ptr<ui::View>>("NibTestAwakeView", "partner",
                                                                   &NibTestAwakeView::partner,
                                                                   &NibTestAwakeView::setPartner);
        rt.registerClass<NibTestController>("NibTestController", "UIViewController");
    }
    static ns::Bundle dataBundle() { return ns::Bundle(std::string(PELLAVO_SOURCE_DIR) + "/tests/ui/nib/data"); }
};

TEST_F(NibTest, ExampleFileLoadsWithConnections) {
    auto owner = ns::make<NibTestOwner>();
    auto nib = ui::Nib::make("Example", dataBundle());
    auto objects = nib->instantiate(owner);
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_FALSE(nib->lastError().has_value());
    EXPECT_TRUE(nib->lastWarnings().empty());
    EXPECT_TRUE(loggedLines().empty());

    auto vc = std::dynamic_pointer_cast<ui::ViewController>(objects[0]);
    ASSERT_NE(vc, nullptr);
    ASSERT_TRUE(vc->isViewLoaded());
    auto root = vc->viewIfLoaded();
    EXPECT_EQ(root->frame(), (cg::Rect{{0, 0}, {375, 216}}));
    ASSERT_TRUE(root->backgroundColor().has_value());
    EXPECT_EQ(root->backgroundColor()->cgColor(), ui::Color(0xD1 / 255.0, 0xD5 / 255.0, 0xDB / 255.0, 1).cgColor());
    ASSERT_EQ(root->subviews().size(), 2u);
    auto label = std::dynamic_pointer_cast<ui::Label>(root->subviews()[0]);
    auto button = std::dynamic_pointer_cast<ui::Button>(root->subviews()[1]);
    ASSERT_NE(label, nullptr);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(label->frame(), (cg::Rect{{16, 8}, {200, 20}}));
    EXPECT_EQ(label->text()->utf8(), "Hello");
    EXPECT_EQ(button->title(ui::Control::State::normal)->utf8(), "OK");
    EXPECT_EQ(owner->titleLabel(), label);

    button->sendActions(ui::Control::Event::touchUpInside);
    EXPECT_EQ(owner->pressedBy, std::vector<ui::Button*>{button.get()});

    // The owner's outlet is weak: the label dies with the file's objects.
    label.reset();
    button.reset();
    root.reset();
    vc.reset();
    objects.clear();
    EXPECT_EQ(owner->titleLabel(), nullptr);
}

TEST_F(NibTest, ButtonsAreMadeFromACoderWithTheirFrameSubviewsAndStateTitles) {
    EXPECT_TRUE(ns::Runtime::shared().hasCoderFactory("UIButton"));
    auto nib = ui::Nib::fromData(R"(<interface version="1">
  <object class="UIButton" frame="16 40 100 44">
    <state name="normal" title="Send"/>
    <state name="highlighted" title="Sending" titleColor="#FF0000"/>
    <subviews><object class="UIView" frame="1 2 3 4"/></subviews>
  </object>
</interface>)",
                                 "Coded");
    const auto objects = nib->instantiate(nullptr);
    EXPECT_TRUE(nib->lastWarnings().empty());
    ASSERT_EQ(objects.size(), 1u);
    const auto button = std::dynamic_pointer_cast<ui::Button>(objects[0]);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->frame(), (cg::Rect{{16, 40}, {100, 44}}));
    ASSERT_FALSE(button->subviews().empty());
    EXPECT_EQ(button->subviews()[0]->frame(), (cg::Rect{{1, 2}, {3, 4}}));
    EXPECT_EQ(button->title(ui::Control::State::normal)->utf8(), "Send");
    EXPECT_EQ(button->title(ui::Control::State::highlighted)->utf8(), "Sending");
    EXPECT_EQ(button->titleColor(ui::Control::State::normal), ui::Color::white());
    EXPECT_EQ(button->titleColor(ui::Control::State::highlighted), ui::Color::red());
}

TEST_F(NibTest, ButtonTitleFontIsTheTitleLabelsFont) {
    auto nib = ui::Nib::fromData(R"(<interface version="1">
  <object class="UIButton"><property name="titleFont" value="system 26"/></object>
  <object class="UIButton"><property name="titleFont" value="system big"/></object>
</interface>)",
                                 "Fonts");
    const auto objects = nib->instantiate(nullptr);
    ASSERT_EQ(objects.size(), 2u);
    const auto sized = std::dynamic_pointer_cast<ui::Button>(objects[0]);
    const auto unparsed = std::dynamic_pointer_cast<ui::Button>(objects[1]);
    ASSERT_NE(sized, nullptr);
    ASSERT_NE(unparsed, nullptr);
    EXPECT_EQ(sized->titleLabel()->font(), ui::Font::systemFont(26));
    EXPECT_EQ(unparsed->titleLabel()->font(), ns::make<ui::Button>()->titleLabel()->font());
    EXPECT_EQ(nib->lastWarnings(),
              Strings{"Interface file 'Fonts' line 3: the value 'system big' of 'titleFont' does not parse; skipped"});
}

TEST_F(NibTest, FirstObjectRuleAndAwakeOrderAfterConnections) {
    auto nib = ui::Nib::fromData(R"(<interface version="1">
  <placeholder id="ext"/>
  <object class="NibTestAwakeView" id="a"><property name="tag" value="1"/>
    <outlet property="partner" destination="d"/>
    <subviews>
      <object class="NibTestAwakeView" id="b"><property name="tag" value="2"/></object>
      <object class="NibTestAwakeView" id="c"><property name="tag" value="3"/>
        <outlet property="partner" destination="ext"/></object>
    </subviews>
  </object>
  <object class="NibTestAwakeView" id="d"><property name="tag" value="4"/>
    <property name="hidden" value="true"/><property name="contentMode" value="scaleAspectFit"/>
    <property name="autoresizingMask" value="flexibleWidth|flexibleHeight"/></object>
</interface>)",
                                 "Order");
    ui::Nib::Options options;
    auto external = ns::make<ui::View>();
    options.externalObjects["ext"] = external;
    auto objects = nib->instantiate(nullptr, options);
    ASSERT_EQ(objects.size(), 2u);
    auto a = std::dynamic_pointer_cast<NibTestAwakeView>(objects[0]);
    auto d = std::dynamic_pointer_cast<NibTestAwakeView>(objects[1]);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(a->tag(), 1);
    EXPECT_EQ(a->partner(), d);
    EXPECT_EQ(std::dynamic_pointer_cast<NibTestAwakeView>(a->subviews()[1])->partner(), external);
    EXPECT_TRUE(d->isHidden());
    EXPECT_EQ(d->contentMode(), ui::View::ContentMode::scaleAspectFit);
    EXPECT_EQ(d->autoresizingMask(), ui::View::AutoresizingMask::flexibleWidth | ui::View::AutoresizingMask::flexibleHeight);
    EXPECT_EQ(events(), (Strings{"awake 1 linked", "awake 2", "awake 3 linked", "awake 4"}));
    EXPECT_TRUE(nib->lastWarnings().empty());
    // Each instantiation makes new objects.
    auto again = nib->instantiate(nullptr, options);
    ASSERT_EQ(again.size(), 2u);
    EXPECT_NE(again[0], objects[0]);
}

TEST_F(NibTest, FatalErrorsReturnNothingAndLogTheLine) {
    std::string deep = "<interface version=\"1\">\n";
    for (int i = 0; i < 65; ++i) deep += "<object class=\"UIView\" key=\"k\">";
    for (int i = 0; i < 65; ++i) deep += "</object>";
    deep += "</interface>";
    struct Case {
        std::string xml;
        ui::Nib::Error::Kind kind;
        int line;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"<interface version=\"1\">\n<object class=\"UIView\">\n</interface>", ui::Nib::Error::Kind::malformedXML, 3,
         "Start-end tags mismatch"},
        {"<ui version=\"1\"/>", ui::Nib::Error::Kind::unknownRoot, 1, "unknown root element 'ui'"},
        {"<interface version=\"2\"/>", ui::Nib::Error::Kind::unknownVersion, 1, "unknown version '2'"},
        {"<interface version=\"1\">\n\n<object class=\"NoSuch\"/></interface>", ui::Nib::Error::Kind::unknownClass, 3,
         "unknown class 'NoSuch'"},
        {"<interface version=\"1\">\n<object class=\"NibTestAwakeView\" id=\"x\"/>\n<object class=\"UIView\" id=\"x\"/>"
         "</interface>",
         ui::Nib::Error::Kind::duplicateId, 3, "duplicate id 'x'"},
        {deep, ui::Nib::Error::Kind::tooDeep, 2, "nesting deeper than 64 levels"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        events().clear();
        testing::PlatformTest::TearDown();
        testing::PlatformTest::SetUp();
        auto nib = ui::Nib::fromData(c.xml, "Bad");
        EXPECT_TRUE(nib->instantiate(nullptr).empty());
        ASSERT_TRUE(nib->lastError().has_value());
        EXPECT_EQ(nib->lastError()->kind, c.kind);
        EXPECT_EQ(nib->lastError()->line, c.line);
        ASSERT_EQ(loggedLines().size(), 1u);
        EXPECT_EQ(loggedLines()[0].rfind("Could not load interface file 'Bad': " + c.reason, 0), 0u) << loggedLines()[0];
        EXPECT_NE(loggedLines()[0].find("(line " + std::to_string(c.line) + ")"), std::string::npos);
        // Objects made before the error never awake.
        EXPECT_TRUE(events().empty());
    }
    auto missing = ui::Nib::make("NoSuchFile", dataBundle());
    EXPECT_TRUE(missing->instantiate(nullptr).empty());
    EXPECT_EQ(missing->lastError()->kind, ui::Nib::Error::Kind::missingFile);
}

TEST_F(NibTest, NonFatalProblemsAreSkippedWithAWarning) {
    auto nib = ui::Nib::fromData(R"(<interface version="1">
  <object class="UIButton" id="b">
    <property name="nonsense" value="1"/>
    <property name="alpha" value="half"/>
    <property name="tintColor" value="#12345"/>
    <property name="enabled" value="false"/>
    <outlet property="partner" destination="b"/>
    <action selector="okPressed:" destination="nowhere" event="touchUpInside"/>
    <action selector="okPressed:" destination="b" event="touchUpInside"/>
    <action selector="okPressed:" destination="b" event="wiggle"/>
  </object>
</interface>)",
                                 "Soft");
    auto objects = nib->instantiate(nullptr);
    ASSERT_EQ(objects.size(), 1u);
    auto button = std::dynamic_pointer_cast<ui::Button>(objects[0]);
    EXPECT_FALSE(button->isEnabled());  // the good property after the bad ones still applies
    EXPECT_EQ(button->alpha(), 1.0);
    const Strings expected = {
        "Interface file 'Soft' line 3: unknown property 'nonsense' of UIButton; skipped",
        "Interface file 'Soft' line 4: the value 'half' of 'alpha' does not parse; skipped",
        "Interface file 'Soft' line 5: the value '#12345' of 'tintColor' does not parse; skipped",
        "Interface file 'Soft' line 7: unknown outlet 'partner' of UIButton; skipped",
        "Interface file 'Soft' line 8: unknown destination 'nowhere'; skipped",
        "Interface file 'Soft' line 9: the destination does not respond to 'okPressed:'; skipped",
        "Interface file 'Soft' line 10: unknown event 'wiggle'; skipped",
    };
    EXPECT_EQ(nib->lastWarnings(), expected);
    EXPECT_EQ(loggedLines(), expected);
    EXPECT_FALSE(nib->lastError().has_value());
}

TEST_F(NibTest, OwnerConnectionsWithoutOwnerAreSkipped) {
    auto nib = ui::Nib::make("Example", dataBundle());
    auto objects = nib->instantiate(nullptr);
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(nib->lastWarnings(),
              (Strings{"Interface file 'Example' line 4: owner connection with no owner; skipped",
                       "Interface file 'Example' line 15: owner connection with no owner; skipped"}));
}

TEST_F(NibTest, ControllersFromFilesDeferViewDidLoad) {
    // Decoded inside a file: the view is there, viewDidLoad waits for view().
    auto nib = ui::Nib::fromData(R"(<interface version="1">
  <object class="NibTestController" id="vc"><object key="view" class="NibTestAwakeView" id="v"/></object>
</interface>)",
                                 "Decoded");
    auto objects = nib->instantiate(nullptr);
    ASSERT_EQ(objects.size(), 1u);
    auto decoded = std::dynamic_pointer_cast<NibTestController>(objects[0]);
    ASSERT_NE(decoded, nullptr);
    EXPECT_TRUE(decoded->isViewLoaded());
    EXPECT_EQ(events(), Strings{"awake 0"});
    (void)decoded->view();
    EXPECT_EQ(events(), (Strings{"awake 0", "viewDidLoad"}));

    // A controller with a nib name loads its file, as owner, at the first view().
    events().clear();
    auto named = ns::make<NibTestController>(ns::String("NibController"), dataBundle());
    EXPECT_FALSE(named->isViewLoaded());
    auto view = named->view();
    ASSERT_NE(std::dynamic_pointer_cast<NibTestAwakeView>(view), nullptr);
    EXPECT_EQ(view->frame(), (cg::Rect{{0, 0}, {320, 100}}));
    EXPECT_EQ(events(), (Strings{"awake 0", "viewDidLoad"}));
    EXPECT_TRUE(loggedLines().empty());
}

} // namespace
} // namespace pellavo
