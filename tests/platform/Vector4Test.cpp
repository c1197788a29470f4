#include <gtest/gtest.h>

#include "platform/Vector4.h"

TEST(Vector4, ParseTakesWhatScansAndKeepsTheRest) {
    CDVector4 v(9, 9, 9, 9);
    v.Parse("no colon 1 2 3 4");
    EXPECT_EQ(v, CDVector4(9, 9, 9, 9));
    v.Parse("srcpos: 1 2");
    EXPECT_EQ(v, CDVector4(1, 2, 9, 9));
    v.Parse("srcpos: -1.5 2.25 3e2 4 trailing");
    EXPECT_EQ(v, CDVector4(-1.5, 2.25, 300, 4));
    CIVector4 s(5, 5, 5, 5);
    s.Parse("steps: 10 20 x 40");
    EXPECT_EQ(s, CIVector4(10, 20, 5, 5));
}

TEST(Vector4, RotateTurnsAboutZThenTiltsAndKeepsW) {
    CDVector4 r = CDVector4(1, 0, 0, 5).Rotate(90, 0, false);
    EXPECT_NEAR(r.x, 0, 1e-7);
    EXPECT_NEAR(r.y, 1, 1e-12);
    EXPECT_DOUBLE_EQ(r.z, 0);
    EXPECT_DOUBLE_EQ(r.w, 5);
    // A tilt of 90 degrees about Y takes X into Z; about X takes Y into Z.
    CDVector4 ty = CDVector4(1, 0, 0, 0).Rotate(0, 90, true);
    EXPECT_NEAR(ty.x, 0, 1e-7);
    EXPECT_NEAR(ty.z, 1, 1e-12);
    CDVector4 tx = CDVector4(0, 1, 0, 0).Rotate(0, 90, false);
    EXPECT_NEAR(tx.y, 0, 1e-7);
    EXPECT_NEAR(tx.z, 1, 1e-12);
}

TEST(Vector4, ArithmeticAndIndexing) {
    CDVector4 a(1, 2, 3, 4);
    a += CDVector4(1, 1, 1, 1);
    a -= CDVector4(0, 0, 0, 2);
    EXPECT_EQ(a, CDVector4(2, 3, 4, 3));
    a[2] = 7;
    EXPECT_DOUBLE_EQ(a.z, 7);
    const double arr[4] = {1, 2, 3, 4};
    EXPECT_EQ(CDVector4(arr) + CDVector4(arr), CDVector4(2, 4, 6, 8));
}
