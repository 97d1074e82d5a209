#include "tools/gamedata/synth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <sstream>
#include <stdexcept>

namespace gamedata {
namespace {

constexpr double kPi = 3.14159265358979323846;

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what); }

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : s) {
        if (c == sep) {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    out.push_back(cur);
    return out;
}

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return "";
    size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

double Num(const std::string& s) {
    if (s.empty()) Fail("empty number");
    size_t used = 0;
    double v = 0;
    try {
        v = std::stod(s, &used);
    } catch (const std::exception&) {
        Fail("not a number: '" + s + "'");
    }
    if (used != s.size()) Fail("not a number: '" + s + "'");
    return v;
}

// "A4", "C#3", "Bb2" or a plain frequency in Hz.
double NoteOrHz(const std::string& s) {
    if (!s.empty() && s[0] >= 'A' && s[0] <= 'G') {
        static const int kSemis[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
        int semi = kSemis[s[0] - 'A'];
        size_t i = 1;
        if (i < s.size() && s[i] == '#') semi++, i++;
        else if (i < s.size() && s[i] == 'b') semi--, i++;
        int octave = int(Num(s.substr(i)));
        int midi = 12 * (octave + 1) + semi;
        return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
    }
    return Num(s);
}

// Amplitude: linear, or decibels with a "dB" suffix.
double Amp(const std::string& s) {
    if (s.size() > 2 && s.substr(s.size() - 2) == "dB") return std::pow(10.0, Num(s.substr(0, s.size() - 2)) / 20.0);
    return Num(s);
}

// A value that moves through evenly spaced points, "800>200>400";
// exponentially unless the points include 0 or it is marked ":lin".
struct Sweep {
    std::vector<double> pts;
    bool lin = false;
    bool Empty() const { return pts.empty(); }
    double At(double u) const {
        if (pts.size() == 1) return pts[0];
        u = std::clamp(u, 0.0, 1.0) * double(pts.size() - 1);
        size_t k = std::min(size_t(u), pts.size() - 2);
        double f = u - double(k), a = pts[k], b = pts[k + 1];
        if (lin || a <= 0 || b <= 0) return a + (b - a) * f;
        return a * std::pow(b / a, f);
    }
};

Sweep ParseSweep(const std::string& s, double scale) {
    Sweep sw;
    std::string body = s;
    if (body.size() > 4 && body.substr(body.size() - 4) == ":lin") {
        sw.lin = true;
        body = body.substr(0, body.size() - 4);
    }
    for (const std::string& p : Split(body, '>')) sw.pts.push_back(NoteOrHz(p) * scale);
    return sw;
}

class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Uniform() { return double(Next() >> 11) / 9007199254740992.0; }  // [0, 1)
    double Bipolar() { return Uniform() * 2.0 - 1.0; }

private:
    uint64_t state_;
};

uint64_t HashString(const std::string& s) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
    return h;
}

// Zavalishin's state-variable filter: stable while the cutoff moves.
class Svf {
public:
    enum Mode { kLow, kHigh, kBand };
    Svf(Mode mode, double q) : mode_(mode), k_(1.0 / std::max(q, 0.05)) {}
    double Process(double x, double cutoff) {
        double g = std::tan(kPi * std::clamp(cutoff, 10.0, 0.45 * kRate) / kRate);
        double a1 = 1.0 / (1.0 + g * (g + k_)), a2 = g * a1, a3 = g * a2;
        double v3 = x - ic2_;
        double v1 = a1 * ic1_ + a2 * v3;
        double v2 = ic2_ + a2 * ic1_ + a3 * v3;
        ic1_ = 2 * v1 - ic1_;
        ic2_ = 2 * v2 - ic2_;
        if (mode_ == kLow) return v2;
        if (mode_ == kBand) return v1 * k_;  // unity gain at the centre
        return x - k_ * v1 - v2;
    }

private:
    Mode mode_;
    double k_;
    double ic1_ = 0, ic2_ = 0;
};

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

struct Envelope {
    std::string shape = "asr";
    std::vector<double> v{0.005, 0.01};
    double perc_decay = -1;  // perc: time to -60 dB, or -1 for "to the end"

    double At(double t, double dur) const {
        if (shape == "asr" || shape == "adsr") {
            double a = v[0], r = v.back();
            double g = a > 0 ? std::min(1.0, t / a) : 1.0;
            g = 0.5 - 0.5 * std::cos(kPi * g);
            if (shape == "adsr" && t > a) {
                double d = v[1], s = v[2];
                g = t < a + d ? 1.0 - (1.0 - s) * (t - a) / d : s;
            }
            double left = dur - t;
            if (r > 0 && left < r) g *= 0.5 - 0.5 * std::cos(kPi * std::max(0.0, left) / r);
            return g;
        }
        // perc: a short rise, then an exponential fall reaching -60 dB at
        // the decay time, with a 3 ms closing fade so nothing is cut.
        double a = v[0];
        if (t < a) return 0.5 - 0.5 * std::cos(kPi * t / a);
        double decay = perc_decay > 0 ? perc_decay : std::max(dur - a, 1e-3);
        double g = std::exp(-6.907755 * (t - a) / decay);
        double left = dur - t;
        if (left < 0.003) g *= std::max(0.0, left) / 0.003;
        return g;
    }
};

// One layer's settings, parsed once and used for every note it plays.
struct Voice {
    std::string type;
    double t = 0, d = -1, amp = 1, pan = 0;
    std::string wave = "sine";
    double wave_a = 0.5, wave_b = 1.0;  // pulse width; fm ratio and index
    Sweep f;
    double vib_rate = 0, vib_depth = 0, drift_depth = 0, drift_rate = 3;
    int uni = 1;
    double uni_cents = 0;
    std::string color = "white";
    double dust_rate = 0;
    Sweep lp, hp, bp;
    double q = 0.707, bq = 2.0;
    std::vector<double> formants;
    Envelope env;
    double am_rate = 0, am_depth = 0;
    bool am_square = false;
    double drive = 0;
    double echo_delay = 0, echo_fb = 0, echo_mix = 0;
    int rep = 1;
    double rep_interval = -1, vary = 0, jitter = 0;
    double pluck_decay = 1.0, bright = 0.5;
    double bpm = 120, legato = 0.9, transpose = 0;
    std::string src = "osc";
    bool whole = false;  // round the pitch so the layer holds whole cycles
    uint64_t seed = 0;
};

struct Scale {
    double time = 1.0;   // the recipe's speed divides every time
    double pitch = 1.0;  // and its pitch multiplies every frequency
};

Voice ParseVoice(const Layer& layer, const Scale& sc, uint64_t seed) {
    Voice v;
    v.type = layer.type;
    v.seed = seed;
    std::set<std::string> used;
    auto get = [&](const char* key) -> const std::string* {
        auto it = layer.keys.find(key);
        if (it == layer.keys.end()) return nullptr;
        used.insert(key);
        return &it->second;
    };
    if (auto s = get("t")) v.t = Num(*s) * sc.time;
    if (auto s = get("d")) v.d = Num(*s) * sc.time;
    if (auto s = get("amp")) v.amp = Amp(*s);
    if (auto s = get("pan")) v.pan = std::clamp(Num(*s), -1.0, 1.0);
    if (auto s = get("wave")) {
        auto p = Split(*s, ':');
        v.wave = p[0];
        if (v.wave == "pulse" && p.size() > 1) v.wave_a = Num(p[1]);
        if (v.wave == "fm") {
            if (p.size() != 3) Fail("wave=fm:RATIO:INDEX");
            v.wave_a = Num(p[1]);
            v.wave_b = Num(p[2]);
        }
        static const std::set<std::string> kWaves{"sine", "tri", "square", "saw", "pulse", "fm"};
        if (!kWaves.count(v.wave)) Fail("unknown wave " + v.wave);
    }
    if (auto s = get("f")) v.f = ParseSweep(*s, sc.pitch);
    if (auto s = get("vib")) {
        auto p = Split(*s, ':');
        if (p.size() != 2) Fail("vib=RATE:SEMITONES");
        v.vib_rate = Num(p[0]);
        v.vib_depth = Num(p[1]);
    }
    if (auto s = get("drift")) {
        auto p = Split(*s, ':');
        v.drift_depth = Num(p[0]);
        if (p.size() > 1) v.drift_rate = Num(p[1]);
    }
    if (auto s = get("uni")) {
        auto p = Split(*s, ':');
        if (p.size() != 2) Fail("uni=VOICES:CENTS");
        v.uni = std::max(1, int(Num(p[0])));
        v.uni_cents = Num(p[1]);
    }
    if (auto s = get("color")) {
        auto p = Split(*s, ':');
        v.color = p[0];
        if (v.color == "dust") {
            if (p.size() != 2) Fail("color=dust:PER_SECOND");
            v.dust_rate = Num(p[1]) / sc.time;
        } else if (v.color != "white" && v.color != "pink" && v.color != "brown") {
            Fail("unknown noise colour " + v.color);
        }
    }
    if (auto s = get("lp")) v.lp = ParseSweep(*s, sc.pitch);
    if (auto s = get("hp")) v.hp = ParseSweep(*s, sc.pitch);
    if (auto s = get("bp")) v.bp = ParseSweep(*s, sc.pitch);
    if (auto s = get("q")) v.q = Num(*s);
    if (auto s = get("bq")) v.bq = Num(*s);
    if (auto s = get("fmt"))
        for (const std::string& p : Split(*s, ':')) v.formants.push_back(Num(p) * sc.pitch);
    if (auto s = get("env")) {
        auto p = Split(*s, ':');
        v.env.shape = p[0];
        v.env.v.clear();
        for (size_t i = 1; i < p.size(); ++i) v.env.v.push_back(Num(p[i]) * (v.env.shape == "adsr" && i == 3 ? 1.0 : sc.time));
        if (v.env.shape == "asr" && v.env.v.size() != 2) Fail("env=asr:ATTACK:RELEASE");
        if (v.env.shape == "adsr" && v.env.v.size() != 4) Fail("env=adsr:A:D:S:R");
        if (v.env.shape == "perc") {
            if (v.env.v.empty() || v.env.v.size() > 2) Fail("env=perc:ATTACK[:DECAY]");
            if (v.env.v.size() == 2) v.env.perc_decay = v.env.v[1];
        }
        if (v.env.shape != "asr" && v.env.shape != "adsr" && v.env.shape != "perc") Fail("unknown envelope " + p[0]);
    }
    if (auto s = get("am")) {
        auto p = Split(*s, ':');
        if (p.size() < 2) Fail("am=RATE:DEPTH[:sq]");
        v.am_rate = Num(p[0]) / sc.time;
        v.am_depth = Num(p[1]);
        v.am_square = p.size() > 2 && p[2] == "sq";
    }
    if (auto s = get("drive")) v.drive = Num(*s);
    if (auto s = get("echo")) {
        auto p = Split(*s, ':');
        if (p.size() != 3) Fail("echo=DELAY:FEEDBACK:MIX");
        v.echo_delay = Num(p[0]) * sc.time;
        v.echo_fb = std::clamp(Num(p[1]), 0.0, 0.95);
        v.echo_mix = Num(p[2]);
    }
    if (auto s = get("rep")) {
        auto p = Split(*s, ':');
        v.rep = std::max(1, int(Num(p[0])));
        if (p.size() > 1) v.rep_interval = Num(p[1]) * sc.time;
    }
    if (auto s = get("vary")) v.vary = Num(*s);
    if (auto s = get("jit")) v.jitter = Num(*s) * sc.time;
    if (auto s = get("decay")) v.pluck_decay = Num(*s) * sc.time;
    if (auto s = get("bright")) v.bright = std::clamp(Num(*s), 0.0, 1.0);
    if (auto s = get("bpm")) v.bpm = Num(*s) / sc.time;
    if (auto s = get("legato")) v.legato = Num(*s);
    if (auto s = get("tr")) v.transpose = Num(*s);
    if (auto s = get("src")) v.src = *s;
    if (auto s = get("whole")) v.whole = Num(*s) != 0;
    if (auto s = get("seed")) v.seed = seed ^ HashString(*s);
    for (const auto& [key, value] : layer.keys)
        if (!used.count(key)) Fail("unknown setting " + key + "=" + value + " on " + layer.type);
    static const std::set<std::string> kTypes{"osc", "noise", "pluck", "seq"};
    if (!kTypes.count(v.type)) Fail("unknown layer type " + v.type);
    if (v.type == "seq" && v.src != "osc" && v.src != "noise" && v.src != "pluck") Fail("unknown seq src " + v.src);
    if ((v.type == "osc" || v.type == "pluck") && v.f.Empty()) Fail(v.type + " needs f=");
    return v;
}

// The mix bus: mono or stereo, either a plain buffer that grows, or one
// period of a loop into which anything past the end wraps round.
class Bus {
public:
    Bus(int channels, size_t length, bool wrap, bool fixed)
        : channels_(channels), wrap_(wrap), fixed_(fixed), data_(size_t(channels) * length, 0.0f) {}
    size_t Frames() const { return data_.size() / size_t(channels_); }
    void Add(long frame, double value, double pan) {
        if (frame < 0) return;
        size_t n = Frames();
        size_t i = size_t(frame);
        if (wrap_) {
            i %= n;
        } else if (i >= n) {
            if (fixed_) return;
            data_.resize((i + kRate) * size_t(channels_), 0.0f);
        }
        if (channels_ == 1) {
            data_[i] += float(value);
        } else {
            double a = (pan + 1.0) * kPi / 4.0;
            data_[2 * i] += float(value * std::cos(a) * std::sqrt(2.0));
            data_[2 * i + 1] += float(value * std::sin(a) * std::sqrt(2.0));
        }
    }
    std::vector<float>& Data() { return data_; }

private:
    int channels_;
    bool wrap_, fixed_;
    std::vector<float> data_;
};

struct Note {
    double start, length, freq, vel;
};

// Renders one sounding of a layer: a single note of `dur` seconds at
// frequency multiplier `fmul` (or fixed frequency `freq` when > 0).
void RenderNote(const Voice& v, const std::string& kind, double start, double dur, double fmul, double freq,
                double vel, Rng& rng, Bus& bus) {
    size_t n = size_t(std::max(0.0, dur) * kRate);
    if (n == 0) return;
    double tail = 0;
    if (v.echo_delay > 0 && v.echo_fb > 0)
        tail = std::min(4.0, v.echo_delay * std::ceil(std::log(0.001) / std::log(v.echo_fb)));
    else if (v.echo_delay > 0)
        tail = v.echo_delay;
    std::vector<double> s(n + size_t(tail * kRate), 0.0);

    auto freq_at = [&](double u) { return freq > 0 ? freq : v.f.At(u) * fmul; };

    // Slow random pitch wander, for calls that should not sound like tones.
    std::vector<double> drift;
    if (v.drift_depth > 0) {
        drift.resize(n);
        double target = 0, cur = 0, coef = 1.0 - std::exp(-2 * kPi * v.drift_rate / kRate);
        size_t hold = size_t(kRate / std::max(v.drift_rate, 0.1));
        for (size_t i = 0; i < n; ++i) {
            if (i % hold == 0) target = rng.Bipolar() * v.drift_depth;
            cur += (target - cur) * coef;
            drift[i] = cur;
        }
    }

    if (kind == "osc") {
        // A layer that fills a loop must end on the phase it started with.
        double wholescale = 1.0;
        if (v.whole) {
            double cycles = 0;
            for (size_t i = 0; i < n; ++i) {
                double hz = freq_at(double(i) / double(n));
                if (v.vib_rate > 0)
                    hz *= std::pow(2.0, v.vib_depth * std::sin(2 * kPi * v.vib_rate * double(i) / kRate) / 12.0);
                cycles += hz / kRate;
            }
            if (cycles >= 1) wholescale = std::round(cycles) / cycles;
        }
        for (int u = 0; u < v.uni; ++u) {
            double cents = v.uni > 1 ? v.uni_cents * (2.0 * u / (v.uni - 1) - 1.0) : 0.0;
            double detune = std::pow(2.0, cents / 1200.0);
            // A whole-cycle loop starts a quarter in, so its seam falls mid-ramp
            // rather than on a saw or square wave's own edge.
            double ph = v.uni > 1 ? rng.Uniform() : (v.whole ? 0.25 : 0.0), mph = 0.0;
            for (size_t i = 0; i < n; ++i) {
                double t = double(i) / kRate;
                double hz = freq_at(double(i) / double(n)) * detune * wholescale;
                if (v.vib_rate > 0) hz *= std::pow(2.0, v.vib_depth * std::sin(2 * kPi * v.vib_rate * t) / 12.0);
                if (!drift.empty()) hz *= std::pow(2.0, drift[i] / 12.0);
                double dt = std::min(hz / kRate, 0.49);
                double x = 0;
                if (v.wave == "sine") {
                    x = std::sin(2 * kPi * ph);
                } else if (v.wave == "tri") {
                    x = 1.0 - 4.0 * std::fabs(ph - 0.5);
                } else if (v.wave == "saw") {
                    x = 2.0 * ph - 1.0 - PolyBlep(ph, dt);
                } else if (v.wave == "square" || v.wave == "pulse") {
                    double w = v.wave == "square" ? 0.5 : v.wave_a;
                    x = (ph < w ? 1.0 : -1.0) + PolyBlep(ph, dt) - PolyBlep(std::fmod(ph + 1.0 - w, 1.0), dt);
                } else {  // fm
                    x = std::sin(2 * kPi * ph + v.wave_b * std::sin(2 * kPi * mph));
                    mph += dt * v.wave_a;
                    mph -= std::floor(mph);
                }
                s[i] += x / std::sqrt(double(v.uni));
                ph += dt;
                ph -= std::floor(ph);
            }
        }
    } else if (kind == "noise") {
        double b0 = 0, b1 = 0, b2 = 0, brown = 0;
        for (size_t i = 0; i < n; ++i) {
            double w = rng.Bipolar();
            double x = w;
            if (v.color == "pink") {
                b0 = 0.99765 * b0 + w * 0.0990460;
                b1 = 0.96300 * b1 + w * 0.2965164;
                b2 = 0.57000 * b2 + w * 1.0526913;
                x = (b0 + b1 + b2 + w * 0.1848) * 0.25;
            } else if (v.color == "brown") {
                brown = (brown + 0.02 * w) / 1.02;
                x = brown * 3.5;
            } else if (v.color == "dust") {
                x = rng.Uniform() < v.dust_rate / kRate ? (0.5 + 0.5 * rng.Uniform()) * (rng.Uniform() < 0.5 ? -1 : 1)
                                                       : 0.0;
            }
            s[i] = x;
        }
    } else {  // pluck: Karplus-Strong, a noise burst circulating in a delay line
        double hz = freq_at(0.0);
        // The two-point average in the loop adds half a sample of delay.
        double period = std::max(2.0, double(kRate) / std::max(hz, 20.0) - 0.5);
        size_t burst = size_t(std::ceil(period));
        double loss = std::pow(10.0, -3.0 / (std::max(v.pluck_decay, 0.01) * hz));
        double lpstate = 0;
        auto at = [&](double pos) {
            if (pos < 0) return 0.0;
            size_t k = size_t(pos);
            double f = pos - double(k);
            return s[k] * (1.0 - f) + (k + 1 < n ? s[k + 1] : 0.0) * f;
        };
        for (size_t i = 0; i < n; ++i) {
            double x = 0;
            if (i < burst) {
                lpstate += (rng.Bipolar() - lpstate) * (0.2 + 0.8 * v.bright);
                x = lpstate;
            }
            double back = double(i) - period;
            s[i] = x + (back >= 0 ? loss * 0.5 * (at(back) + at(back - 1.0)) : 0.0);
        }
    }

    // Filters, then the formant bank. A whole-cycle layer repeats exactly,
    // so it is filtered twice round and the second round kept: the filters
    // then start in the state the end of the loop leaves them in.
    size_t rounds = v.whole ? 2 : 1;
    if (v.whole) {
        s.resize(2 * n);
        std::copy(s.begin(), s.begin() + long(n), s.begin() + long(n));
    }
    const size_t total = n;
    n = total * rounds;
    auto at_u = [&](size_t i) { return double(i % total) / double(total); };
    if (!v.hp.Empty()) {
        Svf f(Svf::kHigh, v.q);
        for (size_t i = 0; i < n; ++i) s[i] = f.Process(s[i], v.hp.At(at_u(i)) * fmul);
    }
    if (!v.lp.Empty()) {
        Svf f(Svf::kLow, v.q);
        for (size_t i = 0; i < n; ++i) s[i] = f.Process(s[i], v.lp.At(at_u(i)) * fmul);
    }
    if (!v.bp.Empty()) {
        Svf f(Svf::kBand, v.bq);
        for (size_t i = 0; i < n; ++i) s[i] = f.Process(s[i], v.bp.At(at_u(i)) * fmul);
    }
    if (!v.formants.empty()) {
        std::vector<Svf> bank;
        for (size_t k = 0; k < v.formants.size(); ++k) bank.emplace_back(Svf::kBand, 8.0);
        for (size_t i = 0; i < n; ++i) {
            double acc = 0, w = 1.0;
            for (size_t k = 0; k < bank.size(); ++k, w *= 0.6) acc += w * bank[k].Process(s[i], v.formants[k] * fmul);
            s[i] = acc * 1.5;
        }
    }
    if (v.whole) s.erase(s.begin(), s.begin() + long(total));
    n = total;

    for (size_t i = 0; i < n; ++i) {
        double t = double(i) / kRate;
        double g = v.env.At(t, dur) * v.amp * vel;
        if (v.am_rate > 0) {
            double m = std::sin(2 * kPi * v.am_rate * t);
            if (v.am_square) m = m >= 0 ? 1.0 : -1.0;
            g *= 1.0 - v.am_depth * (0.5 + 0.5 * m);
        }
        double x = s[i] * g;
        if (v.drive > 0) x = std::tanh(v.drive * x) / std::tanh(v.drive);
        s[i] = x;
    }
    for (size_t i = n; i < s.size(); ++i) s[i] = 0;

    if (v.echo_delay > 0) {
        size_t dl = std::max<size_t>(1, size_t(v.echo_delay * kRate));
        std::vector<double> wet(s.size(), 0.0);
        for (size_t i = dl; i < s.size(); ++i) wet[i] = s[i - dl] + v.echo_fb * wet[i - dl];
        for (size_t i = 0; i < s.size(); ++i) s[i] += v.echo_mix * wet[i];
    }

    long first = long(std::llround(start * kRate));
    for (size_t i = 0; i < s.size(); ++i)
        if (s[i] != 0.0) bus.Add(first + long(i), s[i], v.pan);
}

// "C4+E4+G4:2@0.8 r:1 x:0.5" into notes; returns the score's length in beats.
double ParseScore(const std::string& score, double transpose, std::vector<Note>& notes) {
    std::istringstream in(score);
    std::string tok;
    double beat = 0;
    while (in >> tok) {
        if (tok == "|") continue;
        size_t colon = tok.find(':');
        if (colon == std::string::npos) Fail("note needs :BEATS: " + tok);
        std::string pitch = tok.substr(0, colon), rest = tok.substr(colon + 1);
        double vel = 1.0;
        size_t at = rest.find('@');
        if (at != std::string::npos) {
            vel = Num(rest.substr(at + 1));
            rest = rest.substr(0, at);
        }
        double beats = Num(rest);
        if (pitch != "r") {
            for (const std::string& p : Split(pitch, '+')) {
                double hz = p == "x" ? 0.0 : NoteOrHz(p) * std::pow(2.0, transpose / 12.0);
                notes.push_back({beat, beats, hz, vel});
            }
        }
        beat += beats;
    }
    return beat;
}

}  // namespace

std::vector<Recipe> ParseRecipes(const std::string& text, const std::string& file) {
    std::vector<Recipe> out;
    std::istringstream in(text);
    std::string raw;
    int lineno = 0;
    auto parse_keys = [&](const std::string& s, std::map<std::string, std::string>& keys) {
        std::istringstream ws(s);
        std::string tok;
        while (ws >> tok) {
            size_t eq = tok.find('=');
            if (eq == std::string::npos || eq == 0) Fail("expected key=value, got '" + tok + "'");
            if (!keys.emplace(tok.substr(0, eq), tok.substr(eq + 1)).second) Fail("repeated key " + tok);
        }
    };
    while (std::getline(in, raw)) {
        ++lineno;
        try {
            // '#' opens a comment only at the start of a word: "C#4" is a note.
            std::string line = raw;
            for (size_t i = 0; i < line.size(); ++i)
                if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
                    line = line.substr(0, i);
                    break;
                }
            line = Trim(line);
            if (line.empty()) continue;
            if (line[0] == '[') {
                size_t close = line.find(']');
                if (close == std::string::npos || close == 1) Fail("bad recipe header");
                Recipe r;
                r.name = line.substr(1, close - 1);
                parse_keys(line.substr(close + 1), r.keys);
                r.text = line + "\n";
                out.push_back(std::move(r));
                continue;
            }
            if (out.empty()) Fail("layer before the first [name]");
            Layer layer;
            std::string head = line, score;
            size_t bar = line.find('|');
            if (bar != std::string::npos) {
                head = Trim(line.substr(0, bar));
                score = line.substr(bar + 1);
            }
            size_t sp = head.find_first_of(" \t");
            layer.type = head.substr(0, sp);
            if (sp != std::string::npos) parse_keys(head.substr(sp), layer.keys);
            layer.score = score;
            out.back().layers.push_back(std::move(layer));
            out.back().text += line + "\n";
        } catch (const std::exception& e) {
            throw std::runtime_error(file + ":" + std::to_string(lineno) + ": " + e.what());
        }
    }
    return out;
}

void RecipeBook::Add(const std::vector<Recipe>& recipes) {
    for (const Recipe& r : recipes)
        if (!recipes_.emplace(r.name, r).second) Fail("recipe defined twice: " + r.name);
}

Recipe RecipeBook::Resolve(const std::string& name) const {
    std::vector<std::string> chain;
    std::string cur = name;
    Recipe merged;
    std::map<std::string, std::string> keys;
    std::string text;
    while (true) {
        auto it = recipes_.find(cur);
        if (it == recipes_.end()) Fail("no recipe named " + cur + (cur == name ? "" : " (base of " + name + ")"));
        if (std::find(chain.begin(), chain.end(), cur) != chain.end()) Fail("recipe cycle at " + cur);
        chain.push_back(cur);
        const Recipe& r = it->second;
        for (const auto& [k, v] : r.keys) keys.emplace(k, v);  // nearer recipes win
        text = r.text + text;
        if (merged.layers.empty()) merged.layers = r.layers;
        auto like = r.keys.find("like");
        if (like == r.keys.end()) break;
        cur = like->second;
    }
    keys.erase("like");
    merged.name = name;
    merged.keys = keys;
    merged.text = text;
    return merged;
}

Rendered Render(const Recipe& recipe, int channels) {
    try {
        std::set<std::string> used;
        auto get = [&](const char* key) -> const std::string* {
            auto it = recipe.keys.find(key);
            if (it == recipe.keys.end()) return nullptr;
            used.insert(key);
            return &it->second;
        };
        Scale sc;
        if (auto s = get("speed")) sc.time = 1.0 / Num(*s);
        if (auto s = get("pitch")) sc.pitch = Num(*s);
        uint64_t seed = HashString(recipe.name);
        if (auto s = get("seed")) seed = HashString(*s);
        double len = -1;
        if (auto s = get("len")) len = Num(*s) * sc.time;
        double peak_db = -1.0;
        double master_lp = 0;
        if (auto s = get("lp")) master_lp = Num(*s);
        if (auto s = get("peak")) peak_db = Num(*s);
        std::string loop;
        double xfade = 0;
        if (auto s = get("loop")) {
            auto p = Split(*s, ':');
            loop = p[0];
            if (loop == "xfade") {
                if (p.size() != 2) Fail("loop=xfade:SECONDS");
                xfade = Num(p[1]) * sc.time;
            } else if (loop != "wrap") {
                Fail("loop=wrap or loop=xfade:SECONDS");
            }
            if (len <= 0) Fail("a loop needs len=");
        }
        for (const auto& [key, value] : recipe.keys)
            if (!used.count(key)) Fail("unknown sound setting " + key + "=" + value);
        if (recipe.layers.empty()) Fail("no layers");

        size_t frames = len > 0 ? size_t(std::llround(len * kRate)) : size_t(kRate);
        size_t xf = size_t(std::llround(xfade * kRate));
        Bus bus(channels, frames + xf, loop == "wrap", len > 0 && loop != "wrap");

        for (size_t li = 0; li < recipe.layers.size(); ++li) {
            const Layer& layer = recipe.layers[li];
            Voice v = ParseVoice(layer, sc, seed * 1000003ull + li);
            Rng rng(v.seed);
            // A layer without its own length lasts to the end of the sound
            // (and through the crossfade of a loop).
            double total = len > 0 ? len + xfade : -1;
            if (v.type == "seq") {
                std::vector<Note> notes;
                double beats = ParseScore(layer.score, v.transpose, notes);
                double spb = 60.0 / v.bpm;
                double span = beats * spb;
                double every = v.rep_interval > 0 ? v.rep_interval : span;
                for (int r = 0; r < v.rep; ++r) {
                    for (const Note& note : notes) {
                        double start = v.t + r * every + note.start * spb;
                        double dur = note.length * spb * v.legato;
                        if (v.env.shape != "perc") dur += v.env.v.back();
                        else if (v.env.perc_decay > 0) dur = v.env.v[0] + v.env.perc_decay;
                        if (v.d > 0) dur = v.d;
                        double fmul = 1.0 + v.vary * rng.Bipolar();
                        double hz = note.freq > 0 ? note.freq * sc.pitch : -1;
                        RenderNote(v, v.src, start, dur, fmul, hz, note.vel, rng, bus);
                    }
                }
                continue;
            }
            double dur = v.d;
            if (dur <= 0 && v.type == "pluck") dur = v.pluck_decay;
            if (dur <= 0 && v.env.shape == "perc" && v.env.perc_decay > 0) dur = v.env.v[0] + v.env.perc_decay;
            if (dur <= 0) {
                if (total <= 0) Fail(v.type + " layer needs d= when the sound has no len=");
                dur = total - v.t;
            }
            double every = v.rep_interval > 0 ? v.rep_interval : dur;
            for (int r = 0; r < v.rep; ++r) {
                double fmul = 1.0 + v.vary * rng.Bipolar();
                double gain = 1.0 - 0.5 * v.vary * rng.Uniform();
                double start = v.t + r * every + v.jitter * rng.Uniform();
                RenderNote(v, v.type, start, dur, fmul, -1, gain, rng, bus);
            }
        }

        Rendered out;
        out.channels = channels;
        out.loop = !loop.empty();
        std::vector<float>& d = bus.Data();
        size_t ch = size_t(channels);
        if (loop == "xfade") {
            // Fold the rendered overrun over the start with an equal-power
            // fade: the last frame leads straight into the first.
            for (size_t i = 0; i < xf; ++i) {
                double a = (double(i) + 0.5) / double(xf) * kPi / 2;
                for (size_t c = 0; c < ch; ++c) {
                    double head = d[i * ch + c], over = d[(frames + i) * ch + c];
                    d[i * ch + c] = float(head * std::sin(a) + over * std::cos(a));
                }
            }
            d.resize(frames * ch);
        }
        if (master_lp > 0) {
            // A loop is filtered twice round, keeping the second pass, so
            // the filter's state at the start is the one the end leaves.
            size_t frames_now = d.size() / ch;
            for (size_t c = 0; c < ch; ++c) {
                Svf f(Svf::kLow, 0.707);
                std::vector<float> pass(frames_now);
                for (int round = 0; round < (out.loop ? 2 : 1); ++round)
                    for (size_t i = 0; i < frames_now; ++i) pass[i] = float(f.Process(d[i * ch + c], master_lp));
                for (size_t i = 0; i < frames_now; ++i) d[i * ch + c] = pass[i];
            }
        }
        if (out.loop) {
            // A loop may not carry an offset; removing the mean keeps it seamless.
            for (size_t c = 0; c < ch; ++c) {
                double mean = 0;
                for (size_t i = c; i < d.size(); i += ch) mean += d[i];
                mean /= double(d.size() / ch);
                for (size_t i = c; i < d.size(); i += ch) d[i] = float(d[i] - mean);
            }
        } else {
            // Drop the growth margin, then close with a short fade.
            size_t last = 0;
            for (size_t i = 0; i < d.size(); ++i)
                if (std::fabs(d[i]) > 1e-5f) last = i / ch + 1;
            size_t keep = len > 0 ? frames : std::min(d.size() / ch, last + size_t(0.01 * kRate));
            d.resize(keep * ch);
            size_t fade = std::min<size_t>(keep, size_t(0.004 * kRate));
            for (size_t i = 0; i < fade; ++i)
                for (size_t c = 0; c < ch; ++c) d[(keep - 1 - i) * ch + c] *= float(double(i) / double(fade));
        }
        float peak = 0;
        for (float x : d) peak = std::max(peak, std::fabs(x));
        if (peak > 0) {
            float g = float(std::pow(10.0, peak_db / 20.0) / peak);
            for (float& x : d) x *= g;
        }
        out.samples = std::move(d);
        return out;
    } catch (const std::exception& e) {
        throw std::runtime_error("recipe " + recipe.name + ": " + e.what());
    }
}

}  // namespace gamedata
