#include "chart/bspline.h"

#include <algorithm>
#include <cmath>

#include "chart/canvas.h"

namespace zel {

namespace {

const char* const kClassName = "TBSpline";

std::string IndexError(const char* method, int32_t index) {
    return std::string("List index out of bounds in ") + kClassName + "." + method + ". (" +
           std::to_string(index) + ").";
}

float ValueWeight(double d) {
    const double a = std::fabs(d);
    if (a < 1) return static_cast<float>(2.0 / 3.0 - d * d + a * a * a / 2);
    if (a < 2) return static_cast<float>((2 - a) * (2 - a) * (2 - a) / 6);
    return 0;
}

float FirstWeight(double d) {
    if (d > -2 && d <= -1) return static_cast<float>((d + 2) * (d + 2) / 2);
    if (d > -1 && d <= 0) return static_cast<float>(-2 * d - 1.5 * d * d);
    if (d > 0 && d <= 1) return static_cast<float>(-2 * d + 1.5 * d * d);
    if (d > 1 && d < 2) return static_cast<float>(-(2 - d) * (2 - d) / 2);
    return 0;
}

float SecondWeight(double d) {
    if (d >= -2 && d <= -1) return static_cast<float>(d + 2);
    if (d > -1 && d <= 0) return static_cast<float>(-2 - 3 * d);
    if (d > 0 && d <= 1) return static_cast<float>(3 * d - 2);
    if (d > 1 && d <= 2) return static_cast<float>(2 - d);
    return 0;
}

bool Coincide(TVertex a, TVertex b) {
    return std::fabs(a.X - b.X) < 1e-5f && std::fabs(a.Y - b.Y) < 1e-5f;
}

} // namespace

TBSpline::TBSpline() {
    Clear();
}

TBSpline::~TBSpline() = default;

void TBSpline::Clear() {
    FColor = 0;
    FVertexList.clear();
    FShowVertices = false;
    FNoPoints = 0;
    FNoVertices = 0;
    FSetBuild(false);
    FSetCapacity(0);
    FInterpolated = false;
    FFragments = 100;
}

void TBSpline::FSetBuild(bool val) {
    if (!val) {
        FVertexList.clear();
        FNoVertices = 0;
        FMin = TVertex{0, 0};
        FMax = TVertex{1, 1};
    }
    FBuild = val;
}

void TBSpline::FSetCapacity(int32_t value) {
    // The lists were once sized in 16-bit bytes: 8 bytes a point, below 65,536.
    if (value < 0 || static_cast<int64_t>(value) * 8 >= 65536)
        throw ESplineError(std::string("Capacity out of range in ") + kClassName +
                           ".FSetCapacity. (" + std::to_string(value) + ").");
    if (value == 0) {
        FPointList.clear();
        FKnuckleList.clear();
    } else {
        FPointList.resize(static_cast<size_t>(value) + 1);
        FKnuckleList.resize(static_cast<size_t>(value) + 1, false);
    }
    FCapacity = value;
    if (FNoPoints > value) FNoPoints = value;
}

void TBSpline::FSetFragments(int32_t value) {
    FFragments = std::min(value, MaxFragments);
}

void TBSpline::FSetInterpolated(bool value) {
    if (value == FInterpolated) return;
    FInterpolated = value;
    FSetBuild(false);
}

void TBSpline::CheckPointIndex(int32_t index, const char* method) const {
    if (index < 1 || index > FNoPoints) throw ESplineError(IndexError(method, index));
}

TVertex TBSpline::FGetPoint(int32_t index) const {
    CheckPointIndex(index, "FGetPoint");
    return FPointList[index];
}

void TBSpline::FSetPoint(int32_t index, TVertex value) {
    CheckPointIndex(index, "FSetPoint");
    FPointList[index] = value;
    FSetBuild(false);
}

bool TBSpline::FGetKnuckle(int32_t index) const {
    if (index < 1 || index > FNoPoints)
        throw ESplineError(std::string("List index out of bounds in ") + kClassName +
                           "FGetKnuckle. (" + std::to_string(index) + ").");
    if (index == 1 || index == FNoPoints) return false;
    return FKnuckleList[index];
}

void TBSpline::FSetKnuckle(int32_t index, bool value) {
    CheckPointIndex(index, "FSetKnuckle");
    FKnuckleList[index] = value;
    FSetBuild(false);
}

TVertex TBSpline::FGetVertex(int32_t index) {
    if (!FBuild && FNoPoints < 2) return TVertex{0, 0};
    if (!FBuild) Rebuild();
    if (index < 0 || index >= static_cast<int32_t>(FVertexList.size()))
        throw ESplineError(IndexError("FGetVertex", index));
    return FVertexList[index];
}

void TBSpline::FSetVertex(int32_t index, TVertex value) {
    if (index < 0 || index >= static_cast<int32_t>(FVertexList.size()))
        throw ESplineError(IndexError("FSetVertex", index));
    FVertexList[index] = value;
}

int32_t TBSpline::NumberOfVertices() {
    if (!FBuild) Rebuild();
    return FNoVertices;
}

void TBSpline::AddPoint(TVertex v) {
    if (FNoPoints == FCapacity) FSetCapacity(FCapacity + VerticesIncrement);
    ++FNoPoints;
    FPointList[FNoPoints] = v;
    FKnuckleList[FNoPoints] = false;
    FSetBuild(false);
}

void TBSpline::InsertPoint(int32_t index, TVertex v) {
    if (index < 1 || index > FNoPoints) throw ESplineError("Index out of range");
    if (FNoPoints == FCapacity) FSetCapacity(FCapacity + VerticesIncrement);
    for (int32_t i = FNoPoints; i >= index; --i) {
        FPointList[i + 1] = FPointList[i];
        FKnuckleList[i + 1] = FKnuckleList[i];
    }
    FPointList[index] = v;
    FKnuckleList[index] = false;
    ++FNoPoints;
    FSetBuild(false);
}

void TBSpline::DeletePoint(int32_t index) {
    if (FNoPoints == 0) {
        Clear();
        return;
    }
    if (index < 1 || index > FNoPoints) throw ESplineError("Index out of range");
    for (int32_t i = index; i < FNoPoints; ++i) {
        FPointList[i] = FPointList[i + 1];
        FKnuckleList[i] = FKnuckleList[i + 1];
    }
    --FNoPoints;
    FSetBuild(false);
    if (FNoPoints == 0) Clear();
}

void TBSpline::Extents(TVertex& min, TVertex& max) const {
    for (int32_t i = 1; i <= FNoPoints; ++i) {
        const TVertex p = FPointList[i];
        min.X = std::min(min.X, p.X);
        min.Y = std::min(min.Y, p.Y);
        max.X = std::max(max.X, p.X);
        max.Y = std::max(max.Y, p.Y);
    }
}

void TBSpline::Rebuild() {
    FSetBuild(false);
    if (FNoPoints < 2) {
        FBuild = true;
        return;
    }
    int32_t n = 0;
    for (int32_t i = 1; i <= FNoPoints; ++i)
        n += FGetKnuckle(i) ? 3 : 1;
    if (FInterpolated && n > MaxInterpolatedVertices)
        throw ESplineError(std::string("Too many vertices to interpolate in ") + kClassName +
                           ".Rebuild. (" + std::to_string(n) + ").");
    FVertexList.assign(static_cast<size_t>(n) + 2, TVertex{});
    FNoVertices = n;
    FMin = FMax = FPointList[1];
    int32_t v = 1;
    for (int32_t i = 1; i <= FNoPoints; ++i) {
        const TVertex p = FPointList[i];
        const int copies = FGetKnuckle(i) ? 3 : 1;
        for (int k = 0; k < copies; ++k)
            FVertexList[v++] = p;
        FMin.X = std::min(FMin.X, p.X);
        FMin.Y = std::min(FMin.Y, p.Y);
        FMax.X = std::max(FMax.X, p.X);
        FMax.Y = std::max(FMax.Y, p.Y);
    }
    if (FInterpolated) {
        FFillMatrix();
        FInterpolate();
        sub_.clear();
        diag_.clear();
        sup_.clear();
    }
    FBuild = true;
    FPhantomPoints();
}

// The interpolation matrix is tridiagonal (identity rows at knuckles): its three diagonals are
// all the elimination ever reads or writes.
void TBSpline::FFillMatrix() {
    const int32_t N = FNoVertices;
    if (N < 3 || N > MaxInterpolatedVertices) return;
    sub_.assign(N + 2, 0.0f);
    diag_.assign(N + 2, 0.0f);
    sup_.assign(N + 2, 0.0f);
    for (int32_t i = 2; i <= N - 1; ++i) {
        sub_[i] = 1.0f / 6.0f;
        diag_[i] = 2.0f / 3.0f;
        sup_[i] = 1.0f / 6.0f;
    }
    diag_[1] = 1;
    diag_[N] = 1;
    const std::vector<TVertex>& V = FVertexList;
    int32_t i = 3;
    while (i < N - 1) {
        if (Coincide(V[i - 1], V[i]) && Coincide(V[i], V[i + 1])) {
            for (int32_t r = i - 1; r <= i + 1; ++r) {
                sub_[r] = 0;
                diag_[r] = 1;
                sup_[r] = 0;
            }
            i += 2;
        } else {
            i += 1;
        }
    }
}

void TBSpline::FInterpolate() {
    const int32_t N = FNoVertices;
    if (N < 3 || N > MaxInterpolatedVertices - 1 || diag_.empty()) return;
    std::vector<TVertex>& V = FVertexList;
    for (int32_t i = 2; i <= N; ++i) {
        const float factor = sub_[i] / diag_[i - 1];
        sub_[i] -= factor * diag_[i - 1];
        diag_[i] -= factor * sup_[i - 1];
        V[i].X -= factor * V[i - 1].X;
        V[i].Y -= factor * V[i - 1].Y;
    }
    V[N].X = V[N].X / diag_[N];
    V[N].Y = V[N].Y / diag_[N];
    for (int32_t i = N - 1; i >= 1; --i) {
        V[i].X = (V[i].X - sup_[i] * V[i + 1].X) / diag_[i];
        V[i].Y = (V[i].Y - sup_[i] * V[i + 1].Y) / diag_[i];
    }
}

void TBSpline::FPhantomPoints() {
    const int32_t N = FNoVertices;
    if (N < 2) return;
    std::vector<TVertex>& V = FVertexList;
    V[0].X = 2 * V[1].X - V[2].X;
    V[0].Y = 2 * V[1].Y - V[2].Y;
    V[N + 1].X = 2 * V[N].X - V[N - 1].X;
    V[N + 1].Y = 2 * V[N].Y - V[N - 1].Y;
}

TVertex TBSpline::Evaluate(double parameter, int which) {
    if (!FBuild) Rebuild();
    TVertex r{0, 0};
    if (FNoPoints < 2 || !std::isfinite(parameter)) return r;
    const int32_t N = FNoVertices;
    double mid;
    if (which == 0)
        mid = static_cast<float>((N - 1) * parameter + 1);
    else
        mid = (N - 1) * parameter + 1;
    mid = std::clamp(mid, -1e9, 1e9);
    int64_t S = static_cast<int64_t>(mid - 1);
    if (S < 0) S = 0;
    int64_t E = std::min<int64_t>(S + 3, N + 1);
    for (int64_t c = S; c <= E; ++c) {
        const double d = static_cast<double>(c) - mid;
        const float w = which == 0 ? ValueWeight(d) : which == 1 ? FirstWeight(d) : SecondWeight(d);
        r.X += FVertexList[c].X * w;
        r.Y += FVertexList[c].Y * w;
    }
    return r;
}

TVertex TBSpline::Value(double parameter) {
    return Evaluate(parameter, 0);
}
TVertex TBSpline::FirstDerive(double parameter) {
    return Evaluate(parameter, 1);
}
TVertex TBSpline::SecondDerive(double parameter) {
    return Evaluate(parameter, 2);
}

bool TBSpline::KnownX(float x_value, T2DResults& results) {
    return Known(true, x_value, results);
}
bool TBSpline::KnownY(float y_value, T2DResults& results) {
    return Known(false, y_value, results);
}

bool TBSpline::Known(bool on_x, float value, T2DResults& results) {
    if (!FBuild) Rebuild();
    results.NumberOfHits = 0;
    if (FNoPoints == 0) return false;
    auto coord = [on_x](TVertex v) { return on_x ? v.X : v.Y; };
    auto add_hit = [&](double parameter) {
        if (results.NumberOfHits == MaxResults)
            throw ESplineError(std::string("Max. number of results exceeded in ") + kClassName +
                               (on_x ? ".KnownX" : ".KnownY"));
        ++results.NumberOfHits;
        results.Parameter[results.NumberOfHits] = static_cast<float>(parameter);
        TVertex p = Value(parameter);
        (on_x ? p.X : p.Y) = value;
        results.Point[results.NumberOfHits] = p;
    };

    if (FNoPoints == 2) {
        const float a = coord(FPointList[1]), b = coord(FPointList[2]);
        const float mn = std::min(a, b), mx = std::max(a, b);
        if (mn <= value && value <= mx) {
            const double range = static_cast<double>(mx) - mn;
            add_hit(range < 1e-6 ? 0.5 : (static_cast<double>(value) - mn) / range);
        }
        return results.NumberOfHits > 0;
    }

    TVertex P1 = FPointList[1];
    for (int counter = 1; counter <= MaxCalcSteps; ++counter) {
        TVertex P2 = Value(static_cast<double>(counter) / MaxCalcSteps);
        const float a = coord(P1), b = coord(P2);
        if ((a <= value && value <= b) || (b <= value && value <= a)) {
            double lo = static_cast<double>(counter - 1) / MaxCalcSteps;
            double hi = static_cast<double>(counter) / MaxCalcSteps;
            TVertex plo = P1, phi = P2;
            const bool rising = a <= b;
            double parameter = lo;
            for (int it = 0; it <= MaxIterations; ++it) {
                const double xl = coord(plo), xh = coord(phi);
                if (std::fabs(xl - xh) >= 1e-6)
                    parameter = lo + (value - xl) / (xh - xl) * (hi - lo);
                else
                    parameter = (lo + hi) / 2;
                parameter = std::clamp(parameter, lo, hi);
                const TVertex out = Value(parameter);
                const double ox = coord(out);
                const double error =
                    value != 0 ? std::fabs((value - ox) / value) : std::fabs(ox - value);
                const bool below = ox < value;
                if (below == rising) {
                    lo = parameter;
                    plo = out;
                } else {
                    hi = parameter;
                    phi = out;
                }
                if (error < MaxError) break;
            }
            add_hit(parameter);
        }
        P1 = P2;
    }
    return results.NumberOfHits > 0;
}

void TBSpline::Draw(Canvas& canvas) {
    if (FFragments == 0) throw ESplineError("Division by zero in TBSpline.Draw");
    for (int32_t j = 0; j <= FFragments; ++j) {
        const TVertex v = Value(static_cast<double>(j) / FFragments);
        const int x = static_cast<int>(std::nearbyint(v.X)),
                  y = static_cast<int>(std::nearbyint(v.Y));
        if (j == 0)
            canvas.MoveTo(x, y);
        else
            canvas.LineTo(x, y);
    }
    if (FShowVertices) {
        canvas.SetBrush(TBrush{clRed, TBrushStyle::Solid, 0});
        for (int32_t i = 1; i <= FNoPoints; ++i) {
            const int x = static_cast<int>(std::nearbyint(FPointList[i].X));
            const int y = static_cast<int>(std::nearbyint(FPointList[i].Y));
            canvas.Ellipse(TRect{x - 2, y - 2, x + 2, y + 2});
        }
    }
}

} // namespace zel
