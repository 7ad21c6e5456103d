#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <numbers>

#include "platform/ca/Transform3D.hpp"
#include "tests/support/ExpectNear.hpp"

namespace {

using pellavo::ca::concat;
using pellavo::ca::Transform3D;
using pellavo::cg::AffineTransform;
using pellavo::cg::Float;
using pellavo::testing::expectNear;

constexpr Float kInf = std::numeric_limits<Float>::infinity();
constexpr Float kNaN = std::numeric_limits<Float>::quiet_NaN();

TEST(Transform3D, ZRotationEqualsTheAffineRotation) {
    for (Float angle : {0.0, 0.3, std::numbers::pi / 2, -2.0, 5.0}) {
        SCOPED_TRACE(angle);
        const auto t = Transform3D::makeRotation(angle, 0, 0, 1);
        EXPECT_TRUE(t.isAffine());
        expectNear(t.affineTransform(), AffineTransform::makeRotation(angle));
        expectNear(t, Transform3D::makeAffineTransform(AffineTransform::makeRotation(angle)));
    }
}

TEST(Transform3D, RotationsAboutOneAxisAddUp) {
    const Float angle = 0.7 * 2 * std::numbers::pi;
    const auto base = Transform3D::makeTranslation(3, -2, 1).scaled(2, 1, 0.5);
    for (const auto& axis : {std::array<Float, 3>{0, 0, 1}, {1, 0, 0}, {1, 2, 3}, {-0.2, 5, 0.1}}) {
        SCOPED_TRACE(testing::Message() << axis[0] << "," << axis[1] << "," << axis[2]);
        const auto twice = base.rotated(angle, axis[0], axis[1], axis[2]).rotated(angle, axis[0], axis[1], axis[2]);
        expectNear(twice, base.rotated(2 * angle, axis[0], axis[1], axis[2]));
    }
}

// Only the axis's direction matters, however large or small its length.
TEST(Transform3D, RotationAxisLengthDoesNotMatter) {
    const auto unit = Transform3D::makeRotation(0.4, 0, 0.6, 0.8);
    expectNear(Transform3D::makeRotation(0.4, 0, 6, 8), unit);
    expectNear(Transform3D::makeRotation(0.4, 0, 0.6e200, 0.8e200), unit);
    expectNear(Transform3D::makeRotation(0.4, 0, 0.6e-200, 0.8e-200), unit);
    EXPECT_FALSE(unit.isIdentity());
}

TEST(Transform3D, ZeroOrNonFiniteAxisGivesIdentity) {
    EXPECT_TRUE(Transform3D::makeRotation(1, 0, 0, 0).isIdentity());
    EXPECT_TRUE(Transform3D::makeRotation(1, kNaN, 0, 1).isIdentity());
    EXPECT_TRUE(Transform3D::makeRotation(1, 0, kInf, 0).isIdentity());
    EXPECT_TRUE(Transform3D::makeRotation(kNaN, 0, 0, 1).isIdentity());
}

TEST(Transform3D, BuildersApplyTheNewOperationFirst) {
    // Row vectors: p · a · b applies a first.
    const auto scale = Transform3D::makeScale(2, 2, 1);
    const auto move = Transform3D::makeTranslation(1, 0, 0);
    EXPECT_EQ(scale.translated(1, 0, 0), concat(move, scale));
    EXPECT_EQ(concat(move, scale).flattened().tx, 2);
    EXPECT_EQ(concat(scale, move).flattened().tx, 1);
    EXPECT_EQ(move.scaled(2, 2, 1), concat(scale, move));
    // The same chain in 3-D and in 2-D.
    expectNear(Transform3D::identity().rotated(std::numbers::pi / 2, 0, 0, 1).translated(1, 0, 0).flattened(),
               AffineTransform::identity().rotatedBy(std::numbers::pi / 2).translatedBy(1, 0));
}

TEST(Transform3D, AffineTestAndFlattening) {
    const auto flat = Transform3D::makeScale(3, 3, 0);
    EXPECT_FALSE(flat.isAffine());
    expectNear(flat.flattened(), AffineTransform::makeScale(3, 3));

    Transform3D perspective;
    perspective.m34 = -1.0 / 500;
    EXPECT_FALSE(perspective.isAffine());
    EXPECT_TRUE(perspective.flattened().isIdentity());

    Transform3D weighted = Transform3D::makeTranslation(4, 6, 9);
    weighted.m44 = 2;
    weighted.m14 = 7;  // ignored by the flat map
    // (x, y, 0, 1) maps to (x + 4, y + 6, ·, 2): every term halves.
    expectNear(weighted.flattened(), AffineTransform{0.5, 0, 0, 0.5, 2, 3});
    weighted.m44 = 0;
    expectNear(weighted.flattened(), AffineTransform::makeTranslation(4, 6));
    weighted.m44 = kNaN;
    expectNear(weighted.flattened(), AffineTransform::makeTranslation(4, 6));

    const auto affine = AffineTransform::makeRotation(0.5).translatedBy(3, 4).scaledBy(2, 0.5);
    const auto lifted = Transform3D::makeAffineTransform(affine);
    EXPECT_TRUE(lifted.isAffine());
    EXPECT_EQ(lifted.affineTransform(), affine);
    EXPECT_EQ(lifted.flattened(), affine);
    EXPECT_FALSE(Transform3D::makeTranslation(0, 0, 1).isAffine());
}

TEST(Transform3D, InverseUndoesAndSingularIsReturnedUnchanged) {
    auto t = Transform3D::makeRotation(0.9, 1, 2, 3).translated(4, 5, 6).scaled(2, 3, 0.5);
    t.m34 = -0.002;
    expectNear(concat(t, t.inverted()), Transform3D::identity(), 1e-12);
    expectNear(concat(t.inverted(), t), Transform3D::identity(), 1e-12);

    const auto flat = Transform3D::makeScale(1, 1, 0);
    EXPECT_EQ(flat.inverted(), flat);
    Transform3D broken = Transform3D::makeTranslation(1, 2, 3);
    broken.m41 = kInf;
    const auto out = broken.inverted();
    EXPECT_EQ(out.m41, kInf);
    EXPECT_EQ(out.m42, 2);
}

} // namespace
