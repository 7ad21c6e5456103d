#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/ui/layout/LayoutConstraint.hpp"

namespace pellavo::ui {

class View;

// One attribute of one view, to build constraints from. Anchors of the x axis, the y
// axis and of dimensions are distinct types, so a constraint between axes does not
// compile. Every constraint an anchor makes starts inactive.
template <class Anchor>
class LayoutAnchor {
public:
    using Attribute = LayoutConstraint::Attribute;
    using Relation = LayoutConstraint::Relation;

    LayoutAnchor(const std::shared_ptr<View>& item, Attribute attribute) : item_(item), attribute_(attribute) {}

    std::shared_ptr<View> item() const { return item_.lock(); }
    Attribute attribute() const { return attribute_; }

    std::shared_ptr<LayoutConstraint> constraintEqualTo(const Anchor& anchor, double constant = 0) const {
        return make(Relation::equal, anchor, 1, constant);
    }
    std::shared_ptr<LayoutConstraint> constraintLessThanOrEqualTo(const Anchor& anchor, double constant = 0) const {
        return make(Relation::lessThanOrEqual, anchor, 1, constant);
    }
    std::shared_ptr<LayoutConstraint> constraintGreaterThanOrEqualTo(const Anchor& anchor,
                                                                     double constant = 0) const {
        return make(Relation::greaterThanOrEqual, anchor, 1, constant);
    }

protected:
    std::shared_ptr<LayoutConstraint> make(Relation relation, const Anchor& anchor, double multiplier,
                                           double constant) const {
        return ns::make<LayoutConstraint>(item_.lock(), attribute_, relation, anchor.item(), anchor.attribute(),
                                          multiplier, constant);
    }

    std::weak_ptr<View> item_;
    Attribute attribute_;
};

class PELLAVO_EXPORT LayoutXAxisAnchor : public LayoutAnchor<LayoutXAxisAnchor> {
public:
    using LayoutAnchor::LayoutAnchor;
};

class PELLAVO_EXPORT LayoutYAxisAnchor : public LayoutAnchor<LayoutYAxisAnchor> {
public:
    using LayoutAnchor::LayoutAnchor;
};

// A width or a height: it may also equal a constant, or a multiple of another dimension.
class PELLAVO_EXPORT LayoutDimension : public LayoutAnchor<LayoutDimension> {
public:
    using LayoutAnchor::LayoutAnchor;
    using LayoutAnchor::constraintEqualTo;

    std::shared_ptr<LayoutConstraint> constraintEqualToConstant(double constant) const {
        return makeConstant(Relation::equal, constant);
    }
    std::shared_ptr<LayoutConstraint> constraintLessThanOrEqualToConstant(double constant) const {
        return makeConstant(Relation::lessThanOrEqual, constant);
    }
    std::shared_ptr<LayoutConstraint> constraintGreaterThanOrEqualToConstant(double constant) const {
        return makeConstant(Relation::greaterThanOrEqual, constant);
    }
    // The multiple needs its constant spelled out: with a default, `constraintEqualTo(other, 5)`
    // would match this and the inherited (anchor, constant) form equally, and compilers differ on
    // which they pick. Two arguments always mean a constant, as on every other anchor.
    std::shared_ptr<LayoutConstraint> constraintEqualTo(const LayoutDimension& dimension, double multiplier,
                                                        double constant) const {
        return make(Relation::equal, dimension, multiplier, constant);
    }

private:
    std::shared_ptr<LayoutConstraint> makeConstant(Relation relation, double constant) const {
        return ns::make<LayoutConstraint>(item_.lock(), attribute_, relation, nullptr, Attribute::notAnAttribute, 1,
                                          constant);
    }
};

} // namespace pellavo::ui
