#pragma once
// Uniform cubic B-spline through (or near) an ordered list of 2-D points, in single precision.
// Points are indexed from 1; vertices from 0 (a phantom vertex at each end).
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace zel {

class Canvas;

struct TVertex {
    float X = 0, Y = 0;
    bool operator==(const TVertex&) const = default;
};

constexpr int MaxFragments = 600;
constexpr int MaxResults = 610;
constexpr int MaxInterpolatedVertices = 250;
constexpr int MaxCalcSteps = 150;
constexpr double MaxError = 1e-5;
constexpr int MaxIterations = 80;
constexpr int VerticesIncrement = 25;

struct T2DResults {
    int32_t NumberOfHits = 0;
    float Parameter[MaxResults + 1] = {}; // [1..MaxResults]
    TVertex Point[MaxResults + 1] = {};   // [1..MaxResults]
};

// Raised for indices out of range, too many crossings, a capacity too large, an interpolating
// build beyond the matrix and drawing with no fragment. Caught by the chart.
class ESplineError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TBSpline {
  public:
    TBSpline();
    virtual ~TBSpline();
    TBSpline(const TBSpline&) = delete;
    TBSpline& operator=(const TBSpline&) = delete;

    bool Build() const { return FBuild; }
    void SetBuild(bool v) { FSetBuild(v); }
    int32_t NumberOfPoints() const { return FNoPoints; }
    int32_t Capacity() const { return FCapacity; }
    void SetCapacity(int32_t v) { FSetCapacity(v); }
    int32_t Fragments() const { return FFragments; }
    void SetFragments(int32_t v) { FSetFragments(v); }
    bool Interpolated() const { return FInterpolated; }
    void SetInterpolated(bool v) { FSetInterpolated(v); }
    int32_t NumberOfVertices();
    TVertex Point(int32_t i) const { return FGetPoint(i); }
    void SetPoint(int32_t i, TVertex v) { FSetPoint(i, v); }
    TVertex Vertex(int32_t i) { return FGetVertex(i); }
    void SetVertex(int32_t i, TVertex v) { FSetVertex(i, v); }
    bool Knuckle(int32_t i) const { return FGetKnuckle(i); }
    void SetKnuckle(int32_t i, bool v) { FSetKnuckle(i, v); }
    TVertex Min() const { return FMin; }
    TVertex Max() const { return FMax; }
    bool ShowVertices() const { return FShowVertices; }
    void SetShowVertices(bool v) { FShowVertices = v; }
    int32_t Color() const { return FColor; }
    void SetColor(int32_t c) { FColor = c; }

    virtual void AddPoint(TVertex v);
    void InsertPoint(int32_t index, TVertex v);
    void DeletePoint(int32_t index);
    virtual void Extents(TVertex& min, TVertex& max) const;
    virtual void Clear();
    virtual TVertex FirstDerive(double parameter);
    virtual TVertex SecondDerive(double parameter);
    virtual bool KnownX(float x_value, T2DResults& results);
    virtual bool KnownY(float y_value, T2DResults& results);
    virtual TVertex Value(double parameter);
    virtual void Rebuild();
    // A polyline of Fragments segments in the canvas' current pen.
    void Draw(Canvas& canvas);

  protected:
    virtual void FSetCapacity(int32_t value);
    virtual TVertex FGetPoint(int32_t index) const;
    virtual void FSetPoint(int32_t index, TVertex value);
    virtual TVertex FGetVertex(int32_t index);
    virtual void FSetVertex(int32_t index, TVertex value);
    virtual bool FGetKnuckle(int32_t index) const;
    virtual void FSetKnuckle(int32_t index, bool value);
    virtual void FInterpolate();
    virtual void FFillMatrix();
    void FSetBuild(bool val);
    void FSetFragments(int32_t value);
    void FSetInterpolated(bool value);
    void FPhantomPoints();
    bool Known(bool on_x, float value, T2DResults& results);
    void CheckPointIndex(int32_t index, const char* method) const;
    TVertex Evaluate(double parameter, int which); // 0 value, 1 first, 2 second derivative

    int32_t FColor = 0;
    int32_t FNoPoints = 0;
    int32_t FCapacity = 0;
    std::vector<TVertex> FPointList;  // [1..FCapacity], slot 0 unused
    std::vector<TVertex> FVertexList; // [0..FNoVertices + 1] while built
    std::vector<bool> FKnuckleList;   // [1..FCapacity], slot 0 unused
    bool FBuild = false;
    int32_t FNoVertices = 0;
    bool FInterpolated = false;
    TVertex FMin{0, 0}, FMax{1, 1};
    int32_t FFragments = 100;
    bool FShowVertices = false;
    // The three diagonals of the interpolation matrix, during a build only.
    std::vector<float> sub_, diag_, sup_;
};

} // namespace zel
