// The B-spline of smoothed series: building, interpolation, evaluation, crossings, drawing and
// the errors it raises.
#include <cmath>
#include <gtest/gtest.h>

#include "chart/bspline.h"
#include "recording_canvas.h"

using namespace zel;

namespace {

void Add(TBSpline& s, std::initializer_list<TVertex> points) {
    for (TVertex p : points)
        s.AddPoint(p);
}

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const ESplineError& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(BSpline, TwoPointsCrossedOnce) {
    TBSpline s;
    Add(s, {{0, 0}, {10, 20}});
    T2DResults r;
    ASSERT_TRUE(s.KnownX(2.5f, r));
    EXPECT_EQ(r.NumberOfHits, 1);
    EXPECT_FLOAT_EQ(r.Parameter[1], 0.25f);
    EXPECT_FLOAT_EQ(r.Point[1].X, 2.5f);
    EXPECT_NEAR(r.Point[1].Y, 5.0f, 1e-5);
    EXPECT_FALSE(s.KnownX(11, r));
    EXPECT_EQ(r.NumberOfHits, 0);
    ASSERT_TRUE(s.KnownY(10, r));
    EXPECT_FLOAT_EQ(r.Parameter[1], 0.5f);
}

TEST(BSpline, FewerThanTwoPointsEvaluateToTheOrigin) {
    TBSpline s;
    s.AddPoint({3, 4});
    EXPECT_EQ(s.Vertex(0), (TVertex{0, 0})); // not built yet
    EXPECT_EQ(s.Value(0.5), (TVertex{0, 0}));
    s.SetFragments(4);
    test::RecordingCanvas c;
    s.Draw(c);
    EXPECT_EQ(c.ops, (std::vector<std::string>{"MoveTo 0 0", "LineTo 0 0", "LineTo 0 0",
                                               "LineTo 0 0", "LineTo 0 0"}));
    T2DResults r;
    TBSpline empty;
    EXPECT_FALSE(empty.KnownX(0, r));
}

TEST(BSpline, KnucklesOnInnerPointsOnly) {
    TBSpline s;
    Add(s, {{0, 0}, {5, 10}, {10, 0}});
    s.SetKnuckle(1, true);
    s.SetKnuckle(3, true);
    EXPECT_FALSE(s.Knuckle(1));
    EXPECT_EQ(s.NumberOfVertices(), 3);
    s.SetKnuckle(2, true);
    EXPECT_TRUE(s.Knuckle(2));
    ASSERT_EQ(s.NumberOfVertices(), 5);
    // Three equal vertices: the curve goes through the point, with a corner.
    const TVertex v = s.Value(0.5);
    EXPECT_FLOAT_EQ(v.X, 5);
    EXPECT_FLOAT_EQ(v.Y, 10);
    EXPECT_EQ(s.Min(), (TVertex{0, 0}));
    EXPECT_EQ(s.Max(), (TVertex{10, 10}));
}

TEST(BSpline, PropertiesAndClear) {
    TBSpline s;
    EXPECT_EQ(s.Fragments(), 100);
    s.SetFragments(1000);
    EXPECT_EQ(s.Fragments(), 600);
    s.SetInterpolated(true);
    s.SetColor(7);
    s.SetShowVertices(true);
    s.AddPoint({1, 1});
    EXPECT_EQ(s.Capacity(), 25);
    for (int i = 0; i < 25; ++i)
        s.AddPoint({1, 1});
    EXPECT_EQ(s.Capacity(), 50);
    s.Clear();
    EXPECT_EQ(s.Fragments(), 100);
    EXPECT_FALSE(s.Interpolated());
    EXPECT_FALSE(s.ShowVertices());
    EXPECT_EQ(s.Color(), 0);
    EXPECT_EQ(s.NumberOfPoints(), 0);
    EXPECT_EQ(s.Capacity(), 0);
    EXPECT_EQ(s.Min(), (TVertex{0, 0}));
    EXPECT_EQ(s.Max(), (TVertex{1, 1}));
}

TEST(BSpline, InterpolatedCurvePassesThroughEveryPoint) {
    TBSpline s;
    const std::vector<TVertex> pts = {{0, 3}, {1, -2}, {2.5f, 7}, {4, 1},  {5, 5},
                                      {7, 0}, {8, 9},  {9, 4},    {11, 6}, {12, -1}};
    for (TVertex p : pts)
        s.AddPoint(p);
    s.SetInterpolated(true);
    for (size_t k = 0; k < pts.size(); ++k) {
        const TVertex v = s.Value(static_cast<double>(k) / (pts.size() - 1));
        EXPECT_NEAR(v.X, pts[k].X, 1e-4) << k;
        EXPECT_NEAR(v.Y, pts[k].Y, 1e-4) << k;
    }
    // Changing a point drops the build; the next reader builds again.
    s.SetPoint(5, {7, 3});
    EXPECT_FALSE(s.Build());
    EXPECT_NEAR(s.Value(4.0 / 9).Y, 3, 1e-4);
}

TEST(BSpline, CollinearEquallySpacedPointsGiveAStraightLine) {
    TBSpline s;
    Add(s, {{0, 0}, {1, 2}, {2, 4}});
    s.SetInterpolated(true);
    for (int j = 0; j <= 20; ++j) {
        const TVertex v = s.Value(j / 20.0);
        EXPECT_NEAR(v.Y, 2 * v.X, 1e-5) << j;
        EXPECT_NEAR(v.X, j / 10.0, 1e-5) << j;
    }
    // Derivatives are per vertex step, unscaled, taken against the distance to the vertex.
    const TVertex d1 = s.FirstDerive(0.5), d2 = s.SecondDerive(0.5);
    EXPECT_NEAR(std::fabs(d1.X), 1, 1e-5);
    EXPECT_NEAR(std::fabs(d1.Y), 2, 1e-5);
    EXPECT_NEAR(d2.X, 0, 1e-5);
    EXPECT_NEAR(d2.Y, 0, 1e-5);
}

TEST(BSpline, TwoCrossingsInParameterOrder) {
    TBSpline s;
    Add(s, {{0, 0}, {10, 5}, {0, 10}});
    s.SetInterpolated(true);
    T2DResults r;
    ASSERT_TRUE(s.KnownX(5, r));
    ASSERT_EQ(r.NumberOfHits, 2);
    EXPECT_LT(r.Parameter[1], r.Parameter[2]);
    for (int i = 1; i <= 2; ++i) {
        EXPECT_EQ(r.Point[i].X, 5);
        EXPECT_NEAR(s.Value(r.Parameter[i]).X, 5, 1e-3);
    }
    EXPECT_LT(r.Point[1].Y, 5);
    EXPECT_GT(r.Point[2].Y, 5);
}

TEST(BSpline, InsertAndDeleteShiftPointsAndFlags) {
    TBSpline s;
    Add(s, {{0, 0}, {2, 2}, {3, 3}});
    s.SetKnuckle(2, true);
    s.InsertPoint(2, {1, 1});
    EXPECT_EQ(s.Point(2), (TVertex{1, 1}));
    EXPECT_EQ(s.Point(3), (TVertex{2, 2}));
    EXPECT_TRUE(s.Knuckle(3));
    EXPECT_FALSE(s.Knuckle(2));
    s.DeletePoint(2);
    EXPECT_EQ(s.Point(2), (TVertex{2, 2}));
    EXPECT_TRUE(s.Knuckle(2));
    s.DeletePoint(1);
    s.DeletePoint(1);
    s.SetFragments(10);
    s.DeletePoint(1); // the last one: cleared
    EXPECT_EQ(s.NumberOfPoints(), 0);
    EXPECT_EQ(s.Fragments(), 100);
    s.DeletePoint(1); // none left: only clears
}

TEST(BSpline, ErrorMessages) {
    TBSpline s;
    Add(s, {{0, 0}, {1, 1}});
    EXPECT_EQ(ErrorOf([&] { s.Point(7); }), "List index out of bounds in TBSpline.FGetPoint. (7).");
    EXPECT_EQ(ErrorOf([&] { s.SetPoint(0, {}); }),
              "List index out of bounds in TBSpline.FSetPoint. (0).");
    EXPECT_EQ(ErrorOf([&] { s.SetKnuckle(3, true); }),
              "List index out of bounds in TBSpline.FSetKnuckle. (3).");
    EXPECT_EQ(ErrorOf([&] { s.Knuckle(3); }),
              "List index out of bounds in TBSplineFGetKnuckle. (3).");
    EXPECT_EQ(ErrorOf([&] { s.Vertex(4); }),
              "List index out of bounds in TBSpline.FGetVertex. (4).");
    EXPECT_EQ(ErrorOf([&] { s.SetVertex(-1, {}); }),
              "List index out of bounds in TBSpline.FSetVertex. (-1).");
    EXPECT_EQ(ErrorOf([&] { s.InsertPoint(3, {}); }), "Index out of range");
    EXPECT_EQ(ErrorOf([&] { s.Vertex(3); }), ""); // the end phantom
    s.SetFragments(0);
    EXPECT_NE(ErrorOf([&] {
                  test::RecordingCanvas c;
                  s.Draw(c);
              }),
              "");
}

TEST(BSpline, CapacityAndInterpolationLimits) {
    TBSpline s;
    for (int i = 0; i < 8175; ++i)
        s.AddPoint({static_cast<float>(i), 0});
    EXPECT_NE(ErrorOf([&] { s.AddPoint({0, 0}); }), "");
    EXPECT_EQ(s.NumberOfPoints(), 8175);

    TBSpline big;
    for (int i = 0; i < 251; ++i)
        big.AddPoint({static_cast<float>(i), static_cast<float>(i % 3)});
    big.SetInterpolated(true);
    EXPECT_NE(ErrorOf([&] { big.Value(0.5); }), "");

    // Exactly 250 vertices: the matrix is filled but not solved, the vertices stay the points.
    TBSpline edge;
    for (int i = 0; i < 250; ++i)
        edge.AddPoint({static_cast<float>(i), static_cast<float>(i % 3)});
    edge.SetInterpolated(true);
    EXPECT_EQ(edge.NumberOfVertices(), 250);
    EXPECT_EQ(edge.Vertex(2), edge.Point(2));
}

TEST(BSpline, ShowVerticesMarksThePointsInRed) {
    TBSpline s;
    Add(s, {{10, 10}, {20, 30}});
    s.SetFragments(2);
    s.SetShowVertices(true);
    test::RecordingCanvas c;
    s.Draw(c);
    EXPECT_EQ(c.ops.back(), "Ellipse 18 28 22 32");
    EXPECT_NE(c.Find("Brush FF0000 solid"), -1);
    EXPECT_EQ(c.Count("LineTo"), 2);
}
