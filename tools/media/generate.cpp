// Builds the saver's media from nothing but arithmetic: the dancing-figure
// clip (raw RGB24 frames, encoded by ffmpeg in regenerate.sh), the looping
// music track (8-bit mono WAVE) and the installer's 16-colour icon.
//
//   generate frames            all clip frames, raw RGB24, to stdout
//   generate still N out.ppm   one frame as a PPM, for looking at
//   generate wav out.wav       the music loop
//   generate ico out.ico       the installer icon
//
// Everything is deterministic: no clocks, no system random numbers, so a
// rerun reproduces the committed files byte for byte (the AVI also depends on
// ffmpeg's encoder version).

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

const double pi = 3.14159265358979323846;

// ---------------------------------------------------------------- vectors

struct Vec3 {
    double x, y, z;
};

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator-(Vec3 a) { return {-a.x, -a.y, -a.z}; }
Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
Vec3 operator*(Vec3 a, Vec3 b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }
double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
Vec3 Normalize(Vec3 a) { return a * (1.0 / Length(a)); }
Vec3 Mix(Vec3 a, Vec3 b, double t) { return a * (1.0 - t) + b * t; }
double Clamp(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Rodrigues: rotates v about the unit axis by angle radians.
Vec3 RotateAround(Vec3 v, Vec3 axis, double angle) {
    double c = std::cos(angle), s = std::sin(angle);
    return v * c + Cross(axis, v) * s + axis * (Dot(axis, v) * (1.0 - c));
}

// A joint's frame: x right, y up, z forward (towards the viewer at rest).
struct Frame {
    Vec3 origin, ax, ay, az;
};

Vec3 ToWorld(const Frame& f, Vec3 local) { return f.origin + f.ax * local.x + f.ay * local.y + f.az * local.z; }
Vec3 DirToWorld(const Frame& f, Vec3 local) { return f.ax * local.x + f.ay * local.y + f.az * local.z; }

// Turns a frame about one of its own axes; the order of calls matters, so
// the pose code applies twist, then roll, then pitch, as a dancer would.
Frame Turned(Frame f, Vec3 axis, double angle) {
    f.ax = RotateAround(f.ax, axis, angle);
    f.ay = RotateAround(f.ay, axis, angle);
    f.az = RotateAround(f.az, axis, angle);
    return f;
}
Frame Yawed(const Frame& f, double a) { return Turned(f, f.ay, a); }
Frame Rolled(const Frame& f, double a) { return Turned(f, f.az, a); }
Frame Pitched(const Frame& f, double a) { return Turned(f, f.ax, a); }

Frame Moved(Frame f, Vec3 local) {
    f.origin = ToWorld(f, local);
    return f;
}

// ---------------------------------------------------------------- the figure

enum Material { limbs, torso, skin, shorts, shoes, eyeWhite, pupil, glow, materialCount };

struct Surface {
    Vec3 albedo;
    double gloss, shininess;  // highlight strength and tightness
    Vec3 emission;
};

struct Capsule {
    Vec3 a, b;
    double radius;
    int material;
    // bounding sphere, so most rays skip the exact test
    Vec3 centre;
    double reach;
};

struct Figure {
    std::vector<Capsule> parts;
    Surface surfaces[materialCount];
    double beatGlow;  // 0..1, peaks on the beat; drives the antenna and floor
};

void AddPart(Figure& fig, Vec3 a, Vec3 b, double radius, int material) {
    Capsule c{a, b, radius, material, (a + b) * 0.5, Length(b - a) * 0.5 + radius};
    fig.parts.push_back(c);
}

// Two-bone reach: where the elbow/knee goes so that the hand/foot lands on
// target, bending towards pole. Out-of-reach targets straighten the limb.
Vec3 MiddleJoint(Vec3 root, Vec3 target, double upper, double lower, Vec3 pole) {
    Vec3 span = target - root;
    double d = Clamp(Length(span), std::fabs(upper - lower) + 1e-4, upper + lower - 1e-4);
    Vec3 dir = Normalize(span);
    double along = (upper * upper - lower * lower + d * d) / (2.0 * d);
    double side = std::sqrt(std::max(0.0, upper * upper - along * along));
    Vec3 bend = pole - dir * Dot(pole, dir);
    bend = Length(bend) < 1e-6 ? Vec3{0, 0, 1} : Normalize(bend);
    return root + dir * along + bend * side;
}

// Where the limb end actually lands once the target is clamped to reach.
Vec3 LimbEnd(Vec3 mid, Vec3 target, double lower) {
    Vec3 toTarget = target - mid;
    return mid + Normalize(toTarget) * lower;
}

// Everything the dance changes from frame to frame. Kept separate from the
// geometry so the icon can borrow the figure with a pose of its own.
struct Pose {
    double yaw;              // whole-body turn about the vertical
    double sway, dip;        // pelvis side shift and beat bounce
    double hipRoll, hipTwist;
    double chestTwist, chestRoll, chestPitch;
    double headNod, headRoll, headTurn;
    double lift[2];          // foot lift, left then right
    double stepOut[2];
    Vec3 hand[2];            // hand targets relative to each shoulder, chest frame
    double antennaSwing;
    double beatGlow;
};

// Smooth, periodic blend weights: each arm routine owns a slice of the loop
// and hands over gently to the next one.
void RoutineWeights(double th, double w[4]) {
    double sum = 0;
    for (int k = 0; k < 4; ++k) {
        w[k] = std::exp(3.2 * std::cos(th - k * pi / 2.0));
        sum += w[k];
    }
    for (int k = 0; k < 4; ++k) w[k] /= sum;
}

// phase runs 0..1 over the loop. Every term is a sine or cosine of a whole
// multiple of 2*pi*phase (or the once-round spin, which ends where it began
// modulo a full turn), so frame count + 1 == frame 0 and the loop has no seam.
Pose DancePose(double phase) {
    const double th = 2.0 * pi * phase;
    const double beat = 16.0 * th;  // 16 beats per loop
    const double stride = 8.0 * th; // weight shifts left/right once per 2 beats
    Pose p{};
    // One full spin centred on the middle of the loop, still at the seam.
    p.yaw = th - (4.0 / 3.0) * std::sin(th) + (1.0 / 6.0) * std::sin(2.0 * th) + 0.22 * std::sin(4.0 * th);
    p.sway = 0.085 * std::sin(stride);
    p.dip = 0.075 * (0.5 + 0.5 * std::cos(beat));
    p.hipRoll = 0.10 * std::sin(stride);
    p.hipTwist = -0.18 * std::sin(stride);
    p.chestTwist = 0.32 * std::sin(stride + 0.6);
    p.chestRoll = -0.14 * std::sin(stride);
    p.chestPitch = 0.07 + 0.05 * std::cos(beat);
    p.headNod = 0.16 * std::sin(beat + 0.5);
    p.headRoll = 0.18 * std::sin(stride + 1.2);
    p.headTurn = 0.25 * std::sin(2.0 * th + 0.8);
    double s = std::sin(stride);
    p.lift[0] = 0.12 * std::pow(std::max(0.0, s), 2.0);   // weight right: left foot up
    p.lift[1] = 0.12 * std::pow(std::max(0.0, -s), 2.0);
    p.stepOut[0] = 0.05 * std::max(0.0, s);
    p.stepOut[1] = 0.05 * std::max(0.0, -s);

    double w[4];
    RoutineWeights(th, w);
    for (int i = 0; i < 2; ++i) {
        double side = i == 0 ? -1.0 : 1.0;
        // pump: fists at chest height, elbows driving back and forth
        Vec3 pump{side * 0.13, -0.20 + 0.07 * std::cos(beat), 0.27 + 0.14 * side * std::sin(stride)};
        // wave: arms out to the sides, rippling up and down
        Vec3 wave{side * 0.44, 0.06 + 0.22 * std::sin(stride + side * pi / 2.0), 0.06};
        // roof: hands overhead, pushing up between beats
        Vec3 roof{side * 0.13, 0.40 + 0.11 * (0.5 - 0.5 * std::cos(beat)), 0.08};
        // point: one arm up and out, the other on the hip, swapping every 4 beats
        double up = 0.5 + 0.5 * side * std::sin(4.0 * th);
        Vec3 point = Mix(Vec3{side * 0.06, -0.40, 0.02}, Vec3{side * 0.36, 0.36, 0.16}, up);
        p.hand[i] = pump * w[0] + wave * w[1] + roof * w[2] + point * w[3];
    }
    p.antennaSwing = std::sin(beat - 1.0);
    p.beatGlow = std::pow(0.5 + 0.5 * std::cos(beat), 2.0);
    return p;
}

void SetSurfaces(Figure& fig) {
    fig.surfaces[limbs] = {{0.06, 0.52, 0.70}, 0.45, 40, {0, 0, 0}};
    fig.surfaces[torso] = {{0.86, 0.16, 0.42}, 0.55, 50, {0, 0, 0}};
    fig.surfaces[skin] = {{1.00, 0.62, 0.20}, 0.40, 30, {0, 0, 0}};
    fig.surfaces[shorts] = {{0.30, 0.12, 0.55}, 0.35, 30, {0, 0, 0}};
    fig.surfaces[shoes] = {{0.95, 0.95, 0.98}, 0.60, 60, {0, 0, 0}};
    fig.surfaces[eyeWhite] = {{0.95, 0.95, 0.95}, 0.70, 80, {0, 0, 0}};
    fig.surfaces[pupil] = {{0.02, 0.02, 0.04}, 0.90, 120, {0, 0, 0}};
    double g = 0.55 + 1.1 * fig.beatGlow;
    fig.surfaces[glow] = {{0.30, 0.90, 0.60}, 0.3, 20, Vec3{0.35, 1.0, 0.65} * g};
}

// thickness > 1 fattens every part; the tiny icon needs it to stay readable.
Figure BuildFigure(const Pose& p, double thickness) {
    Figure fig;
    fig.beatGlow = p.beatGlow;
    SetSurfaces(fig);
    const double t = thickness;
    Frame stage{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    stage = Yawed(stage, p.yaw);

    Frame pelvis = Moved(stage, {p.sway, 0.93 - p.dip, 0});
    pelvis = Rolled(Yawed(pelvis, p.hipTwist), p.hipRoll);
    AddPart(fig, ToWorld(pelvis, {-0.085, 0.0, 0}), ToWorld(pelvis, {0.085, 0.0, 0}), 0.14 * t, shorts);

    Frame chest = Moved(pelvis, {0, 0.06, 0});
    chest = Pitched(Rolled(Yawed(chest, p.chestTwist), p.chestRoll), p.chestPitch);
    AddPart(fig, ToWorld(chest, {0, 0.03, 0.0}), ToWorld(chest, {0, 0.29, 0.0}), 0.175 * t, torso);
    AddPart(fig, ToWorld(chest, {-0.15, 0.37, 0}), ToWorld(chest, {0.15, 0.37, 0}), 0.10 * t, torso);

    Frame head = Moved(chest, {0, 0.54, 0});
    head = Pitched(Rolled(Yawed(head, p.headTurn), p.headRoll), p.headNod);
    AddPart(fig, ToWorld(chest, {0, 0.44, 0}), ToWorld(head, {0, 0.04, 0}), 0.065 * t, skin);
    const double headRadius = 0.19 * std::min(t, 1.4);
    Vec3 headCentre = ToWorld(head, {0, 0.17, 0.015});
    AddPart(fig, headCentre, headCentre, headRadius, skin);
    if (t < 1.6) {
        for (int i = 0; i < 2; ++i) {
            double side = i == 0 ? -1.0 : 1.0;
            Vec3 look = Normalize(DirToWorld(head, {side * 0.36, 0.16, 0.92}));
            Vec3 eye = headCentre + look * (headRadius * 0.86);
            AddPart(fig, eye, eye, 0.05 * t, eyeWhite);
            Vec3 dot = eye + look * 0.034 * t;
            AddPart(fig, dot, dot, 0.024 * t, pupil);
        }
    }
    if (t < 1.9) {  // on the smallest icon the antenna is only a stray pixel
        Vec3 stalkBase = ToWorld(head, {0, 0.33, 0});
        Vec3 stalkTip = ToWorld(head, {0.07 * p.antennaSwing, 0.47, -0.02});
        AddPart(fig, stalkBase, stalkTip, 0.016 * t, limbs);
        AddPart(fig, stalkTip, stalkTip, 0.05 * t, glow);
    }

    const double upperArm = 0.29, foreArm = 0.27;
    for (int i = 0; i < 2; ++i) {
        double side = i == 0 ? -1.0 : 1.0;
        Vec3 shoulderLocal{side * 0.21, 0.38, 0};
        Vec3 shoulder = ToWorld(chest, shoulderLocal);
        Vec3 target = ToWorld(chest, shoulderLocal + p.hand[i]);
        Vec3 pole = DirToWorld(chest, {side * 1.0, -0.45, -0.45});
        Vec3 elbow = MiddleJoint(shoulder, target, upperArm, foreArm, pole);
        Vec3 wrist = LimbEnd(elbow, target, foreArm);
        AddPart(fig, shoulder, elbow, 0.068 * t, limbs);
        AddPart(fig, elbow, wrist, 0.058 * t, limbs);
        Vec3 palm = wrist + Normalize(wrist - elbow) * 0.045;
        AddPart(fig, palm, palm, 0.078 * t, skin);
    }

    const double thigh = 0.43, shin = 0.42;
    for (int i = 0; i < 2; ++i) {
        double side = i == 0 ? -1.0 : 1.0;
        Vec3 hip = ToWorld(pelvis, {side * 0.105, -0.03, 0});
        // Feet live in the stage frame so a planted foot stays put while the
        // pelvis sways above it.
        Vec3 ankle = ToWorld(stage, {side * (0.15 + p.stepOut[i]), 0.065 + p.lift[i], 0.02});
        Vec3 pole = DirToWorld(stage, {side * 0.18, 0, 1});
        Vec3 knee = MiddleJoint(hip, ankle, thigh, shin, pole);
        Vec3 foot = LimbEnd(knee, ankle, shin);
        AddPart(fig, hip, knee, 0.092 * t, limbs);
        AddPart(fig, knee, foot, 0.078 * t, limbs);
        Vec3 toe = foot + DirToWorld(stage, {side * 0.02, -0.35 * p.lift[i], 0.14});
        AddPart(fig, foot, toe, 0.065 * t, shoes);
    }
    return fig;
}

// ---------------------------------------------------------------- ray tracing

struct Hit {
    double t;
    int part;
};

// Distance along the ray to a capsule's surface, or -1. Solves the infinite
// cylinder first and falls back to the end spheres when the hit lies past
// either end (or the capsule has collapsed to a sphere).
double IntersectCapsule(Vec3 ro, Vec3 rd, const Capsule& c) {
    Vec3 ba = c.b - c.a;
    Vec3 oa = ro - c.a;
    double baba = Dot(ba, ba);
    double r2 = c.radius * c.radius;
    if (baba > 1e-12) {
        double bard = Dot(ba, rd), baoa = Dot(ba, oa), rdoa = Dot(rd, oa), oaoa = Dot(oa, oa);
        double qa = baba - bard * bard;
        double qb = baba * rdoa - baoa * bard;
        double qc = baba * oaoa - baoa * baoa - r2 * baba;
        double h = qb * qb - qa * qc;
        if (h < 0) return -1;
        if (qa > 1e-12) {
            double t = (-qb - std::sqrt(h)) / qa;
            double y = baoa + t * bard;
            if (y > 0 && y < baba) return t;
            Vec3 oc = y <= 0 ? oa : ro - c.b;
            double b = Dot(rd, oc), cc = Dot(oc, oc) - r2;
            double hh = b * b - cc;
            return hh > 0 ? -b - std::sqrt(hh) : -1;
        }
    }
    // sphere (or ray running straight down the axis: the nearer end cap)
    Vec3 oc = baba > 1e-12 && Dot(ba, rd) < 0 ? ro - c.b : oa;
    double b = Dot(rd, oc), cc = Dot(oc, oc) - r2;
    double hh = b * b - cc;
    return hh > 0 ? -b - std::sqrt(hh) : -1;
}

bool MissesBound(Vec3 ro, Vec3 rd, const Capsule& c) {
    Vec3 oc = ro - c.centre;
    double b = Dot(rd, oc), cc = Dot(oc, oc) - c.reach * c.reach;
    return cc > 0 && (b > 0 || b * b - cc < 0);
}

Hit Trace(const Figure& fig, Vec3 ro, Vec3 rd) {
    Hit best{1e30, -1};
    for (size_t i = 0; i < fig.parts.size(); ++i) {
        const Capsule& c = fig.parts[i];
        if (MissesBound(ro, rd, c)) continue;
        double t = IntersectCapsule(ro, rd, c);
        if (t > 1e-5 && t < best.t) best = {t, (int)i};
    }
    return best;
}

Vec3 ClosestOnSegment(Vec3 p, const Capsule& c) {
    Vec3 ba = c.b - c.a;
    double baba = Dot(ba, ba);
    double h = baba > 1e-12 ? Clamp(Dot(p - c.a, ba) / baba, 0, 1) : 0;
    return c.a + ba * h;
}

double Distance(const Figure& fig, Vec3 p) {
    double d = 1e30;
    for (const Capsule& c : fig.parts) d = std::min(d, Length(p - ClosestOnSegment(p, c)) - c.radius);
    return d;
}

// Dark creases where limbs meet the body make the shapes read as solid.
double Occlusion(const Figure& fig, Vec3 p, Vec3 n) {
    double occ = 0, weight = 1;
    for (int i = 1; i <= 4; ++i) {
        double h = 0.03 * i;
        occ += (h - Distance(fig, p + n * h)) * weight;
        weight *= 0.6;
    }
    return Clamp(1.0 - 3.0 * occ, 0.0, 1.0);
}

// Penumbra estimate by sphere tracing towards the light.
double SoftShadow(const Figure& fig, Vec3 p, Vec3 dir, double maxT) {
    double res = 1.0, t = 0.02;
    for (int i = 0; i < 48 && t < maxT; ++i) {
        double h = Distance(fig, p + dir * t);
        if (h < 1e-4) return 0.0;
        res = std::min(res, 7.0 * h / t);
        t += Clamp(h, 0.01, 0.25);
    }
    return Clamp(res, 0.0, 1.0);
}

const Vec3 keyDir = Normalize({-0.55, 0.78, 0.62});
const Vec3 keyColour = {1.20, 1.08, 0.92};
const Vec3 fillDir = Normalize({0.85, 0.15, 0.45});
const Vec3 fillColour = {0.10, 0.16, 0.34};
const Vec3 backDir = Normalize({0.45, 0.45, -0.80});
const Vec3 backColour = {0.75, 0.30, 1.00};
const Vec3 rimColour = {0.35, 0.55, 1.00};
const Vec3 floorGlow = {0.16, 0.07, 0.24};
const Vec3 spotPos = {0.0, 3.6, 0.9};
const double poolRadius = 0.70;

Vec3 ShadeFigure(const Figure& fig, Vec3 ro, Vec3 rd, const Hit& hit) {
    const Capsule& c = fig.parts[hit.part];
    const Surface& s = fig.surfaces[c.material];
    Vec3 p = ro + rd * hit.t;
    Vec3 n = Normalize(p - ClosestOnSegment(p, c));
    Vec3 v = -rd;
    double ao = Occlusion(fig, p, n);
    Vec3 col = s.albedo * (0.05 + 0.05 * n.y) * ao;
    double key = Dot(n, keyDir);
    if (key > 0) {
        double lit = SoftShadow(fig, p + n * 0.004, keyDir, 3.0);
        Vec3 half = Normalize(keyDir + v);
        double shine = std::pow(std::max(0.0, Dot(n, half)), s.shininess) * s.gloss;
        col = col + (s.albedo * keyColour * key + keyColour * shine) * lit;
    }
    col = col + s.albedo * fillColour * std::max(0.0, Dot(n, fillDir));
    double back = std::max(0.0, Dot(n, backDir));
    col = col + Mix(s.albedo, Vec3{1, 1, 1}, 0.35) * backColour * (back * back * 0.9);
    double edge = 1.0 - std::max(0.0, Dot(n, v));
    col = col + rimColour * (std::pow(edge, 3.0) * 0.45 * ao);
    // light bouncing up off the glowing floor
    col = col + s.albedo * floorGlow * (std::max(0.0, -n.y) * 1.6 * (0.7 + 0.6 * fig.beatGlow));
    return col + s.emission;
}

double PoolIntensity(Vec3 p) {
    double r = std::sqrt(p.x * p.x + p.z * p.z) / poolRadius;
    if (r >= 1.0) return 0.0;
    double f = 1.0 - r * r;
    return f * f;
}

// One camera ray: the figure, or the floor pool under it (lit, shadowed,
// with a dim reflection), or pure black.
Vec3 Radiance(const Figure& fig, Vec3 ro, Vec3 rd) {
    Hit hit = Trace(fig, ro, rd);
    double floorT = rd.y < 0 ? -ro.y / rd.y : 1e30;
    if (hit.part >= 0 && hit.t < floorT) return ShadeFigure(fig, ro, rd, hit);
    if (floorT >= 1e30) return {0, 0, 0};
    Vec3 p = ro + rd * floorT;
    double pool = PoolIntensity(p);
    if (pool <= 0) return {0, 0, 0};
    Vec3 toSpot = spotPos - p;
    double spotDist = Length(toSpot);
    double lit = SoftShadow(fig, p, toSpot * (1.0 / spotDist), spotDist);
    Vec3 col = floorGlow * (pool * (0.45 + 0.55 * lit) * (0.75 + 0.5 * fig.beatGlow));
    Vec3 mirrored{rd.x, -rd.y, rd.z};
    Hit image = Trace(fig, p, mirrored);
    if (image.part >= 0) col = col + ShadeFigure(fig, p, mirrored, image) * (0.22 * pool);
    return col;
}

struct Camera {
    Vec3 eye, forward, right, up;
    double tanHalf;  // half the view height at unit distance
};

Camera MakeCamera(Vec3 eye, Vec3 target, double fovYDegrees) {
    Camera cam;
    cam.eye = eye;
    cam.forward = Normalize(target - eye);
    cam.right = Normalize(Cross(cam.forward, {0, 1, 0}));
    cam.up = Cross(cam.right, cam.forward);
    cam.tanHalf = std::tan(fovYDegrees * pi / 360.0);
    return cam;
}

Vec3 PixelRay(const Camera& cam, double px, double py, int width, int height) {
    double half = height * 0.5;
    double sx = (px - width * 0.5) / half * cam.tanHalf;
    double sy = -(py - half) / half * cam.tanHalf;
    return Normalize(cam.forward + cam.right * sx + cam.up * sy);
}

double ToneMap(double v) { return 1.0 - std::exp(-1.15 * v); }

uint8_t Encode(double linear) {
    if (linear <= 0) return 0;
    return (uint8_t)std::lround(255.0 * std::pow(Clamp(linear, 0, 1), 1.0 / 2.2));
}

// Renders width x height RGB with grid x grid samples per pixel, averaged
// after tone mapping so bright edges stay smooth. Two threads take
// alternate rows; every pixel is independent, so the result is the same.
void RenderImage(const Figure& fig, const Camera& cam, int width, int height, int grid, std::vector<uint8_t>& rgb) {
    rgb.assign((size_t)width * height * 3, 0);
    auto renderRows = [&](int first, int step) {
        for (int y = first; y < height; y += step) {
            for (int x = 0; x < width; ++x) {
                Vec3 sum{0, 0, 0};
                for (int sy = 0; sy < grid; ++sy) {
                    for (int sx = 0; sx < grid; ++sx) {
                        Vec3 rd = PixelRay(cam, x + (sx + 0.5) / grid, y + (sy + 0.5) / grid, width, height);
                        Vec3 c = Radiance(fig, cam.eye, rd);
                        sum = sum + Vec3{ToneMap(c.x), ToneMap(c.y), ToneMap(c.z)};
                    }
                }
                double inv = 1.0 / (grid * grid);
                uint8_t* out = &rgb[((size_t)y * width + x) * 3];
                out[0] = Encode(sum.x * inv);
                out[1] = Encode(sum.y * inv);
                out[2] = Encode(sum.z * inv);
            }
        }
    };
    std::thread helper(renderRows, 1, 2);
    renderRows(0, 2);
    helper.join();
}

// ---------------------------------------------------------------- the clip

const int clipWidth = 320, clipHeight = 240, clipFrames = 243;

Camera ClipCamera() { return MakeCamera({0, 1.05, 7.2}, {0, 0.99, 0}, 19.5); }

void RenderClipFrame(int frame, std::vector<uint8_t>& rgb) {
    Figure fig = BuildFigure(DancePose((double)frame / clipFrames), 1.0);
    RenderImage(fig, ClipCamera(), clipWidth, clipHeight, 4, rgb);
}

// The saver centres the clip on a black window, so anything lit near the
// edge would draw a visible rectangle. Reports the closest any lit pixel came.
int LitMargin(const std::vector<uint8_t>& rgb) {
    int margin = std::max(clipWidth, clipHeight);
    for (int y = 0; y < clipHeight; ++y)
        for (int x = 0; x < clipWidth; ++x) {
            const uint8_t* p = &rgb[((size_t)y * clipWidth + x) * 3];
            if (p[0] | p[1] | p[2])
                margin = std::min({margin, x, y, clipWidth - 1 - x, clipHeight - 1 - y});
        }
    return margin;
}

int WriteFrames() {
    std::vector<uint8_t> rgb;
    int worst = 1 << 30;
    for (int f = 0; f < clipFrames; ++f) {
        RenderClipFrame(f, rgb);
        worst = std::min(worst, LitMargin(rgb));
        if (std::fwrite(rgb.data(), 1, rgb.size(), stdout) != rgb.size()) {
            std::fprintf(stderr, "generate: short write on frame %d\n", f);
            return 1;
        }
    }
    std::fflush(stdout);
    std::fprintf(stderr, "generate: %d frames, closest lit pixel %d px from the edge\n", clipFrames, worst);
    return worst >= 8 ? 0 : 1;
}

int WriteStill(int frame, const char* path) {
    std::vector<uint8_t> rgb;
    RenderClipFrame(frame, rgb);
    FILE* f = std::fopen(path, "wb");
    if (!f) return 1;
    std::fprintf(f, "P6\n%d %d\n255\n", clipWidth, clipHeight);
    std::fwrite(rgb.data(), 1, rgb.size(), f);
    std::fclose(f);
    std::fprintf(stderr, "generate: frame %d, closest lit pixel %d px from the edge\n", frame, LitMargin(rgb));
    return 0;
}

// ---------------------------------------------------------------- files

void PutU16(std::vector<uint8_t>& out, unsigned v) {
    out.push_back(v & 0xff);
    out.push_back((v >> 8) & 0xff);
}
void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    PutU16(out, v & 0xffff);
    PutU16(out, v >> 16);
}
void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

bool SaveFile(const char* path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path, "wb");
    if (!f) {
        std::fprintf(stderr, "generate: cannot write %s\n", path);
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

// ---------------------------------------------------------------- the music

const int sampleRate = 11025;
const int trackSamples = 266802;  // 24.2 s
const int bars = 12;
const int stepsPerBar = 16;
const double stepLength = (double)trackSamples / (bars * stepsPerBar);  // ~119 bpm

// Deterministic noise for drums and dither.
uint32_t NextRandom(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state;
}
double Noise(uint32_t& state) { return (NextRandom(state) >> 8) * (2.0 / 16777216.0) - 1.0; }

double NoteHz(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

// Band-limiting correction for the jumps in saw and pulse waves, so high
// notes do not alias into clangour at this low sample rate.
double PolyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

// Every voice is written into the loop modulo its length, so a tail that
// runs past the end lands on the start and the seam is inaudible.
void AddSample(std::vector<double>& bus, long index, double v) {
    long n = (long)bus.size();
    bus[((index % n) + n) % n] += v;
}

// Calls voice(t) for each sample from start (in samples, fractional) for
// seconds, with t the time since the onset.
template <typename Voice>
void Render(std::vector<double>& bus, double start, double seconds, Voice voice) {
    long first = (long)std::ceil(start);
    long count = (long)(seconds * sampleRate);
    for (long i = 0; i < count; ++i) {
        double t = (first + i - start) / sampleRate;
        AddSample(bus, first + i, voice(t));
    }
}

double StepTime(int bar, double step) { return (bar * stepsPerBar + step) * stepLength; }

void Kick(std::vector<double>& bus, double at, double level) {
    uint32_t seed = 7;
    Render(bus, at, 0.40, [&](double t) {
        double phase = 2 * pi * (46.0 * t + 95.0 * (1.0 - std::exp(-t * 32.0)) / 32.0);
        double body = std::sin(phase) * std::exp(-t * 8.5);
        double click = Noise(seed) * std::exp(-t * 400.0) * 0.25;
        return level * (body + click);
    });
}

void Snare(std::vector<double>& bus, double at, double level) {
    uint32_t seed = 99;
    double last = 0;
    Render(bus, at, 0.30, [&](double t) {
        double n = Noise(seed);
        double bright = n - last;  // first difference: tilts the noise up
        last = n;
        double tone = std::sin(2 * pi * 190.0 * t) * std::exp(-t * 28.0) * 0.45;
        return level * (tone + bright * 0.42 * std::exp(-t * 15.0) * std::min(1.0, t * 2000.0));
    });
}

void Hat(std::vector<double>& bus, double at, double level, double decay, uint32_t seed) {
    double last = 0;
    Render(bus, at, std::min(0.6, 6.0 / decay), [&](double t) {
        double n = Noise(seed);
        double bright = n - last;
        last = n;
        return level * bright * std::exp(-t * decay);
    });
}

void Crash(std::vector<double>& bus, double at, double level) {
    uint32_t seed = 4242;
    double last = 0;
    Render(bus, at, 2.2, [&](double t) {
        double n = Noise(seed);
        double bright = n - last;
        last = n;
        return level * bright * std::exp(-t * 2.4) * std::min(1.0, t * 800.0);
    });
}

// Amplitude envelope with a short release after the gate, so notes never
// stop on a step (which would click).
double Envelope(double t, double attack, double decay, double sustain, double gate, double release) {
    double level;
    if (t < attack) level = t / attack;
    else level = sustain + (1.0 - sustain) * std::exp(-(t - attack) / decay);
    if (t > gate) level *= std::exp(-(t - gate) / release);
    return level;
}

void Bass(std::vector<double>& bus, double at, int midi, double gate, double level) {
    double hz = NoteHz(midi), phase = 0, low1 = 0, low2 = 0;
    Render(bus, at, gate + 0.12, [&](double t) {
        double dt = hz / sampleRate;
        double saw = 2.0 * phase - 1.0 - PolyBlep(phase, dt);
        phase += dt;
        if (phase >= 1.0) phase -= 1.0;
        double cutoff = 220.0 + 1300.0 * std::exp(-t * 16.0);
        double k = 1.0 - std::exp(-2 * pi * cutoff / sampleRate);
        low1 += (saw - low1) * k;
        low2 += (low1 - low2) * k;
        return level * low2 * Envelope(t, 0.004, 0.12, 0.55, gate, 0.025);
    });
}

void Pad(std::vector<double>& bus, double at, int midi, double seconds, double level) {
    double hz = NoteHz(midi);
    double phaseA = 0, phaseB = 0.37, low = 0;
    const double k = 1.0 - std::exp(-2 * pi * 1100.0 / sampleRate);
    Render(bus, at, seconds + 0.9, [&](double t) {
        double dtA = hz * 1.004 / sampleRate, dtB = hz * 0.996 / sampleRate;
        double saw = (2.0 * phaseA - 1.0 - PolyBlep(phaseA, dtA)) + (2.0 * phaseB - 1.0 - PolyBlep(phaseB, dtB));
        phaseA += dtA;
        phaseB += dtB;
        if (phaseA >= 1.0) phaseA -= 1.0;
        if (phaseB >= 1.0) phaseB -= 1.0;
        low += (saw * 0.5 - low) * k;
        double env = std::min(1.0, t / 0.25);
        if (t > seconds) env *= std::exp(-(t - seconds) / 0.22);
        return level * low * env;
    });
}

void Lead(std::vector<double>& bus, double at, int midi, double gate, double level) {
    double hz = NoteHz(midi), phase = 0, low = 0;
    const double k = 1.0 - std::exp(-2 * pi * 2600.0 / sampleRate);
    Render(bus, at, gate + 0.25, [&](double t) {
        double vibrato = 1.0 + 0.005 * std::sin(2 * pi * 5.5 * t) * Clamp((t - 0.12) * 5.0, 0.0, 1.0);
        double dt = hz * vibrato / sampleRate;
        double duty = 0.32;
        double pulse = (phase < duty ? 1.0 : -1.0) + PolyBlep(phase, dt) -
                       PolyBlep(std::fmod(phase + 1.0 - duty, 1.0), dt);
        double sub = std::sin(2 * pi * phase);
        phase += dt;
        if (phase >= 1.0) phase -= 1.0;
        low += (pulse * 0.6 + sub * 0.5 - low) * k;
        return level * low * Envelope(t, 0.008, 0.18, 0.65, gate, 0.06);
    });
}

void Pluck(std::vector<double>& bus, double at, int midi, double level) {
    double hz = NoteHz(midi);
    Render(bus, at, 0.35, [&](double t) {
        double x = std::fmod(hz * t, 1.0);
        double tri = 4.0 * std::fabs(x - 0.5) - 1.0;
        return level * tri * std::exp(-t * 11.0) * std::min(1.0, t * 600.0);
    });
}

struct Note {
    int step, length, midi;
};

// Feedback echo computed around the loop: y[i] = x[i] + g * y[i - d], with
// i - d wrapping. Repeating the in-place pass lets the repeats that cross the
// seam settle, so the start hears the echoes of the end.
void CircularEcho(const std::vector<double>& dry, std::vector<double>& wet, long delay, double feedback) {
    long n = (long)dry.size();
    wet = dry;
    for (int pass = 0; pass < 6; ++pass)
        for (long i = 0; i < n; ++i) wet[i] = dry[i] + feedback * wet[((i - delay) % n + n) % n];
}

std::vector<double> ComposeTrack() {
    std::vector<double> drums(trackSamples), bass(trackSamples), pads(trackSamples), lead(trackSamples);

    // Am - F - C - G, three times round: groove, then the tune, then the tune
    // again with the arpeggio and busier hats underneath.
    const int roots[4] = {45, 41, 48, 43};
    const int chords[4][3] = {{57, 60, 64}, {57, 60, 65}, {55, 60, 64}, {55, 59, 62}};
    const Note bassLine[] = {{0, 2, 0}, {3, 1, 0}, {6, 2, 12}, {8, 2, 0}, {10, 1, 0}, {11, 2, 12}, {14, 2, 7}};
    const std::vector<Note> tune[4] = {
        {{0, 2, 76}, {2, 2, 79}, {4, 4, 81}, {8, 2, 79}, {10, 2, 76}, {12, 4, 74}},
        {{0, 2, 72}, {2, 2, 74}, {4, 6, 76}, {10, 2, 72}, {12, 4, 69}},
        {{0, 2, 67}, {2, 2, 72}, {4, 4, 76}, {8, 3, 79}, {11, 1, 76}, {12, 4, 74}},
        {{0, 3, 74}, {3, 3, 76}, {6, 2, 79}, {8, 4, 74}, {12, 2, 71}, {14, 2, 74}},
    };
    const int arp[8] = {0, 1, 2, 1, 0, 2, 1, 2};

    for (int bar = 0; bar < bars; ++bar) {
        int chord = bar % 4;
        int section = bar / 4;
        double barSeconds = stepsPerBar * stepLength / sampleRate;
        for (int beat = 0; beat < 4; ++beat) Kick(drums, StepTime(bar, beat * 4), 0.95);
        if (bar % 4 == 3) Kick(drums, StepTime(bar, 14), 0.55);
        Snare(drums, StepTime(bar, 4), 0.75);
        Snare(drums, StepTime(bar, 12), 0.75);
        if (bar == bars - 1)  // a roll into the top of the loop
            for (int s = 13; s < 16; ++s) Snare(drums, StepTime(bar, s), 0.30 + 0.12 * (s - 13));
        for (int s = 0; s < 16; ++s) {
            uint32_t seed = 1000 + bar * 16 + s;
            if (s % 4 == 2) Hat(drums, StepTime(bar, s), section == 2 ? 0.19 : 0.16, 20.0, seed);
            else if (section > 0 || s % 2 == 0) Hat(drums, StepTime(bar, s), 0.08 + 0.04 * (s % 2 == 0), 75.0, seed);
        }
        if (chord == 0) Crash(drums, StepTime(bar, 0), 0.20);

        for (const Note& n : bassLine)
            Bass(bass, StepTime(bar, n.step), roots[chord] + n.midi, n.length * stepLength / sampleRate * 0.8, 0.55);
        for (int i = 0; i < 3; ++i) Pad(pads, StepTime(bar, 0), chords[chord][i], barSeconds * 0.96, 0.075);

        if (section != 1)
            for (int s = 0; s < 16; ++s)
                Pluck(lead, StepTime(bar, s), chords[chord][arp[s % 8]] + 12, section == 0 ? 0.16 : 0.10);
        if (section > 0)
            for (const Note& n : tune[chord]) {
                int midi = n.midi + (section == 2 && chord % 2 == 1 ? 12 : 0);
                Lead(lead, StepTime(bar, n.step), midi, n.length * stepLength / sampleRate * 0.85, 0.28);
            }
    }

    std::vector<double> echoed;
    CircularEcho(lead, echoed, std::lround(3 * stepLength), 0.38);

    std::vector<double> mix(trackSamples);
    double mean = 0;
    for (int i = 0; i < trackSamples; ++i) {
        double v = drums[i] * 0.9 + bass[i] + pads[i] + lead[i] * 0.85 + (echoed[i] - lead[i]) * 0.45;
        mix[i] = std::tanh(v * 0.9);  // gentle glue; also tames stacked drum peaks
        mean += mix[i];
    }
    mean /= trackSamples;
    double peak = 0;
    for (double& v : mix) {
        v -= mean;
        peak = std::max(peak, std::fabs(v));
    }
    const double target = std::pow(10.0, -3.0 / 20.0);  // -3 dBFS
    for (double& v : mix) v *= target / peak;
    return mix;
}

int WriteWave(const char* path) {
    std::vector<double> mix = ComposeTrack();
    std::vector<uint8_t> out;
    PutTag(out, "RIFF");
    PutU32(out, 36 + trackSamples);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutU32(out, 16);
    PutU16(out, 1);           // PCM
    PutU16(out, 1);           // mono
    PutU32(out, sampleRate);
    PutU32(out, sampleRate);  // bytes per second
    PutU16(out, 1);           // block align
    PutU16(out, 8);
    PutTag(out, "data");
    PutU32(out, trackSamples);
    uint32_t seed = 12345;
    int lowest = 255, highest = 0;
    for (double v : mix) {
        // triangular dither keeps quiet tails from turning into buzz
        double dither = (Noise(seed) + Noise(seed)) * 0.5;
        long q = std::lround(128.0 + v * 128.0 + dither * 0.5);
        q = std::max(0L, std::min(255L, q));
        lowest = std::min(lowest, (int)q);
        highest = std::max(highest, (int)q);
        out.push_back((uint8_t)q);
    }
    if (trackSamples % 2) out.push_back(0);
    std::fprintf(stderr, "generate: %d samples, codes %d..%d\n", trackSamples, lowest, highest);
    return SaveFile(path, out) ? 0 : 1;
}

// ---------------------------------------------------------------- the icon

// 16 colours: transparent black, the badge, and three shades each of the
// clip's main materials, so the little figure reads the same as the big one.
const uint8_t iconPalette[16][3] = {
    {0, 0, 0},      {24, 14, 48},    {60, 36, 110},  {12, 70, 100},  {24, 150, 190}, {130, 225, 245},
    {120, 16, 58},  {222, 44, 112},  {255, 150, 196}, {150, 82, 14}, {250, 172, 52}, {255, 228, 160},
    {48, 20, 86},   {104, 48, 160},  {160, 110, 215}, {245, 245, 250},
};

// Which palette entries each material shades through, dark to light.
int IconShade(int material, int level) {
    switch (material) {
    case limbs: return 3 + level;
    case torso: return 6 + level;
    case skin: return 9 + level;
    case shorts: return 12 + level;
    case glow: return level == 0 ? 4 : 5;
    default: return level == 0 ? 14 : 15;  // shoes, eyes
    }
}

// A round dark badge with the figure on it; outside the badge the mask lets
// the desktop show through. Shading is flat, three steps per material: at
// this size smooth gradients just quantise into mud.
void IconImage(int size, std::vector<uint8_t>& indices, std::vector<uint8_t>& transparent) {
    Pose pose = DancePose(0.0);
    pose.yaw = 0.25;
    pose.headTurn = 0.1;
    pose.headRoll = 0.15;
    pose.chestTwist = 0;
    pose.chestRoll = -0.12;
    pose.sway = 0.06;
    pose.dip = 0.05;
    pose.hand[0] = {-0.30, -0.34, 0.10};  // low and out
    pose.hand[1] = {0.30, 0.42, 0.06};    // pointing up
    pose.lift[0] = pose.lift[1] = 0;
    pose.stepOut[0] = pose.stepOut[1] = 0.06;
    pose.antennaSwing = 0.6;
    pose.beatGlow = 1.0;
    Figure fig = BuildFigure(pose, size <= 16 ? 2.0 : 1.6);
    Camera cam = MakeCamera({0, 1.05, 12.0}, {0, 1.03, 0}, 11.5);
    const Vec3 light = Normalize({-0.6, 0.7, 0.8});
    const int grid = 6;

    indices.assign((size_t)size * size, 0);
    transparent.assign((size_t)size * size, 1);
    double centre = size * 0.5, radius = size * 0.5;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int hits[materialCount] = {};
            double brightness[materialCount] = {};
            int total = 0;
            for (int sy = 0; sy < grid; ++sy)
                for (int sx = 0; sx < grid; ++sx) {
                    Vec3 rd = PixelRay(cam, x + (sx + 0.5) / grid, y + (sy + 0.5) / grid, size, size);
                    Hit hit = Trace(fig, cam.eye, rd);
                    if (hit.part < 0) continue;
                    const Capsule& c = fig.parts[hit.part];
                    Vec3 p = cam.eye + rd * hit.t;
                    Vec3 n = Normalize(p - ClosestOnSegment(p, c));
                    ++hits[c.material];
                    ++total;
                    brightness[c.material] += std::max(0.0, Dot(n, light));
                }
            size_t i = (size_t)y * size + x;
            double dx = x + 0.5 - centre, dy = y + 0.5 - centre;
            double r = std::sqrt(dx * dx + dy * dy);
            if (total * 2 >= grid * grid) {
                int m = (int)(std::max_element(hits, hits + materialCount) - hits);
                double b = brightness[m] / hits[m];
                indices[i] = (uint8_t)IconShade(m, b < 0.3 ? 0 : (b < 0.75 ? 1 : 2));
                transparent[i] = 0;
            } else if (r < radius - 0.25) {
                indices[i] = r > radius - 1.5 ? 2 : 1;
                transparent[i] = 0;
            }
        }
}

int WriteIcon(const char* path) {
    const int sizes[2] = {32, 16};
    std::vector<uint8_t> images[2];
    for (int n = 0; n < 2; ++n) {
        int size = sizes[n];
        std::vector<uint8_t> indices, transparent;
        IconImage(size, indices, transparent);
        std::vector<uint8_t>& img = images[n];
        int xorStride = (size * 4 / 8 + 3) & ~3;
        int andStride = (size / 8 + 3) & ~3;
        PutU32(img, 40);
        PutU32(img, size);
        PutU32(img, size * 2);  // colour bitmap and mask stacked
        PutU16(img, 1);
        PutU16(img, 4);
        PutU32(img, 0);
        PutU32(img, (xorStride + andStride) * size);
        PutU32(img, 0);
        PutU32(img, 0);
        PutU32(img, 16);
        PutU32(img, 0);
        for (int i = 0; i < 16; ++i) {
            img.push_back(iconPalette[i][2]);
            img.push_back(iconPalette[i][1]);
            img.push_back(iconPalette[i][0]);
            img.push_back(0);
        }
        for (int y = size - 1; y >= 0; --y) {  // bottom row first
            std::vector<uint8_t> row(xorStride, 0);
            for (int x = 0; x < size; ++x)
                row[x / 2] |= indices[(size_t)y * size + x] << (x % 2 ? 0 : 4);
            img.insert(img.end(), row.begin(), row.end());
        }
        for (int y = size - 1; y >= 0; --y) {
            std::vector<uint8_t> row(andStride, 0);
            for (int x = 0; x < size; ++x)
                if (transparent[(size_t)y * size + x]) row[x / 8] |= 0x80 >> (x % 8);
            img.insert(img.end(), row.begin(), row.end());
        }
    }
    std::vector<uint8_t> out;
    PutU16(out, 0);
    PutU16(out, 1);  // icon
    PutU16(out, 2);
    uint32_t offset = 6 + 16 * 2;
    for (int n = 0; n < 2; ++n) {
        out.push_back((uint8_t)sizes[n]);
        out.push_back((uint8_t)sizes[n]);
        out.push_back(16);
        out.push_back(0);
        PutU16(out, 1);
        PutU16(out, 4);
        PutU32(out, (uint32_t)images[n].size());
        PutU32(out, offset);
        offset += (uint32_t)images[n].size();
    }
    for (auto& img : images) out.insert(out.end(), img.begin(), img.end());
    return SaveFile(path, out) ? 0 : 1;
}

int Usage() {
    std::fprintf(stderr, "usage: generate frames | still N out.ppm | wav out.wav | ico out.ico\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    std::string what = argv[1];
    if (what == "frames" && argc == 2) return WriteFrames();
    if (what == "still" && argc == 4) return WriteStill(std::atoi(argv[2]) % clipFrames, argv[3]);
    if (what == "wav" && argc == 3) return WriteWave(argv[2]);
    if (what == "ico" && argc == 3) return WriteIcon(argv[2]);
    return Usage();
}
