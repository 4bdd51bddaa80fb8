// Small self-contained helpers for checking the note samples: a RIFF/WAVE
// reader for 16-bit PCM and a YIN pitch estimator. Header-only so the sound
// test and throwaway measuring tools can share exactly the same code.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>
#include <vector>

namespace wavcheck {

struct PcmWave {
    int formatTag = 0;      // 1 = integer PCM (also when wrapped in WAVE_FORMAT_EXTENSIBLE)
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    std::vector<float> samples;  // first channel, scaled so that full scale is 1.0

    double durationSeconds() const
    {
        return sampleRate > 0 ? double(samples.size()) / sampleRate : 0.0;
    }
};

// Reads a RIFF/WAVE file. Chunks other than "fmt " and "data" are skipped.
// Only 16-bit integer PCM sample data is decoded. Returns an empty string on
// success, otherwise what is wrong with the file.
inline QString parseWav(const QByteArray &bytes, PcmWave &out)
{
    out = PcmWave{};
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype size = bytes.size();
    if (size < 12 || bytes.left(4) != "RIFF" || bytes.mid(8, 4) != "WAVE")
        return QStringLiteral("not a RIFF/WAVE file");

    bool haveFormat = false;
    qsizetype dataOffset = -1;
    qsizetype dataSize = 0;
    qsizetype pos = 12;
    while (pos + 8 <= size) {
        const QByteArray id = bytes.mid(pos, 4);
        const qsizetype chunkSize = qFromLittleEndian<quint32>(p + pos + 4);
        const qsizetype body = pos + 8;
        if (chunkSize > size - body)
            return QStringLiteral("chunk '%1' runs past the end of the file").arg(QString::fromLatin1(id));
        if (id == "fmt ") {
            if (chunkSize < 16)
                return QStringLiteral("fmt chunk too short");
            out.formatTag = qFromLittleEndian<quint16>(p + body);
            out.channels = qFromLittleEndian<quint16>(p + body + 2);
            out.sampleRate = int(qFromLittleEndian<quint32>(p + body + 4));
            out.bitsPerSample = qFromLittleEndian<quint16>(p + body + 14);
            // WAVE_FORMAT_EXTENSIBLE: the real format is the first two bytes of the sub-format GUID.
            if (out.formatTag == 0xFFFE && chunkSize >= 40)
                out.formatTag = qFromLittleEndian<quint16>(p + body + 24);
            haveFormat = true;
        } else if (id == "data") {
            dataOffset = body;
            dataSize = chunkSize;
        }
        pos = body + chunkSize + (chunkSize & 1);  // chunks are padded to even length
    }
    if (!haveFormat)
        return QStringLiteral("no fmt chunk");
    if (dataOffset < 0)
        return QStringLiteral("no data chunk");
    if (out.formatTag != 1 || out.bitsPerSample != 16 || out.channels < 1)
        return QString();  // header is readable; the caller judges the format

    const qsizetype frameBytes = 2 * qsizetype(out.channels);
    const qsizetype frames = dataSize / frameBytes;
    out.samples.resize(size_t(frames));
    for (qsizetype i = 0; i < frames; ++i) {
        const auto v = qFromLittleEndian<qint16>(p + dataOffset + i * frameBytes);
        out.samples[size_t(i)] = float(v) / 32768.0f;
    }
    return QString();
}

// Index of the first sample whose magnitude exceeds `threshold`, or -1.
inline qsizetype firstAbove(const std::vector<float> &x, float threshold)
{
    const auto it = std::find_if(x.begin(), x.end(), [threshold](float v) { return std::abs(v) > threshold; });
    return it == x.end() ? -1 : qsizetype(it - x.begin());
}

inline float peakOf(const std::vector<float> &x, size_t from = 0, size_t to = SIZE_MAX)
{
    float peak = 0.0f;
    for (size_t i = from; i < std::min(to, x.size()); ++i)
        peak = std::max(peak, std::abs(x[i]));
    return peak;
}

inline double toDb(double amplitude)
{
    return 20.0 * std::log10(std::max(amplitude, 1e-12));
}

inline double midiKeyToHz(int key)
{
    return 440.0 * std::pow(2.0, (key - 69) / 12.0);
}

inline double centsBetween(double hz, double referenceHz)
{
    return 1200.0 * std::log2(hz / referenceHz);
}

// YIN period estimate (de Cheveigné & Kawahara) over `window` samples
// starting at `start`, searching frequencies between minHz and maxHz. The
// period is the first dip of the cumulative mean normalised difference below
// the threshold, refined by a parabola through the raw difference function.
// Picking the first dip keeps it from settling on a multiple of the period.
// Returns nothing when the signal is too short or shows no periodicity.
inline std::optional<double> yinFrequencyHz(const std::vector<float> &x, size_t start, int sampleRate,
                                            double minHz, double maxHz, size_t window = 2048)
{
    if (sampleRate <= 0 || minHz <= 0.0 || maxHz <= minHz)
        return std::nullopt;
    const auto tauMin = std::max<size_t>(2, size_t(std::floor(sampleRate / maxHz)));
    const auto tauMax = size_t(std::ceil(sampleRate / minHz));
    if (start + window + tauMax + 2 > x.size())
        return std::nullopt;

    std::vector<double> diff(tauMax + 2, 0.0);
    for (size_t tau = 1; tau < diff.size(); ++tau) {
        double sum = 0.0;
        for (size_t j = start; j < start + window; ++j) {
            const double d = double(x[j]) - double(x[j + tau]);
            sum += d * d;
        }
        diff[tau] = sum;
    }

    std::vector<double> cmnd(diff.size(), 1.0);
    double running = 0.0;
    for (size_t tau = 1; tau < diff.size(); ++tau) {
        running += diff[tau];
        cmnd[tau] = running > 0.0 ? diff[tau] * double(tau) / running : 1.0;
    }

    constexpr double threshold = 0.15;
    size_t best = 0;
    for (size_t tau = tauMin; tau <= tauMax; ++tau) {
        if (cmnd[tau] < threshold) {
            while (tau + 1 <= tauMax && cmnd[tau + 1] < cmnd[tau])
                ++tau;
            best = tau;
            break;
        }
    }
    if (best == 0) {
        // No clear dip: fall back to the deepest one, but only if it still
        // indicates a periodic signal.
        best = size_t(std::min_element(cmnd.begin() + qsizetype(tauMin), cmnd.begin() + qsizetype(tauMax) + 1)
                      - cmnd.begin());
        if (cmnd[best] > 0.5)
            return std::nullopt;
    }

    double period = double(best);
    const double a = diff[best - 1], b = diff[best], c = diff[best + 1];
    const double denom = a - 2.0 * b + c;
    if (denom > 0.0)
        period += 0.5 * (a - c) / denom;
    return sampleRate / period;
}

// Hann-windowed copy of x[start, start + length).
inline std::vector<double> hannSegment(const std::vector<float> &x, size_t start, size_t length)
{
    std::vector<double> seg(length);
    for (size_t j = 0; j < length; ++j) {
        const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * double(j) / double(length - 1));
        seg[j] = w * double(x[start + j]);
    }
    return seg;
}

// Magnitude of the discrete-time Fourier transform of seg at frequency hz.
inline double magnitudeAt(const std::vector<double> &seg, int sampleRate, double hz)
{
    const double step = 2.0 * std::numbers::pi * hz / sampleRate;
    // Rotate a unit phasor instead of calling sin/cos per sample.
    const double stepCos = std::cos(step), stepSin = std::sin(step);
    double pc = 1.0, ps = 0.0, re = 0.0, im = 0.0;
    for (const double v : seg) {
        re += v * pc;
        im -= v * ps;
        const double nc = pc * stepCos - ps * stepSin;
        ps = ps * stepCos + pc * stepSin;
        pc = nc;
    }
    return std::hypot(re, im);
}

// Frequency of the strongest spectral peak within ±rangeCents of
// approximateHz in the Hann-windowed x[start, start + length): a 1-cent grid
// search refined by a parabola through the log magnitudes of the best grid
// point and its neighbours.
inline double spectralPeakHz(const std::vector<float> &x, size_t start, size_t length, int sampleRate,
                             double approximateHz, double rangeCents = 100.0)
{
    const auto seg = hannSegment(x, start, length);
    const int steps = int(rangeCents);
    std::vector<double> mags(size_t(2 * steps + 1));
    for (int i = -steps; i <= steps; ++i)
        mags[size_t(i + steps)] = magnitudeAt(seg, sampleRate, approximateHz * std::exp2(i / 1200.0));
    const auto best = size_t(std::max_element(mags.begin(), mags.end()) - mags.begin());
    double cents = double(best) - steps;
    if (best > 0 && best + 1 < mags.size()) {
        const double a = std::log(mags[best - 1] + 1e-300), b = std::log(mags[best] + 1e-300),
                     c = std::log(mags[best + 1] + 1e-300);
        const double denom = a - 2.0 * b + c;
        if (denom < 0.0)
            cents += 0.5 * (a - c) / denom;
    }
    return approximateHz * std::exp2(cents / 1200.0);
}

// Fundamental frequency of a pitched note, from `start` on. YIN finds the
// period and so decides the octave, but on a piano its answer is pulled
// sharp (by 20-40 cents on real samples) because the upper partials are
// stretched above exact multiples of the fundamental and shift the point of
// best waveform match. The frequency is therefore taken from the spectral
// peak of the first partial near the YIN estimate, measured over a long
// window where partials are resolved and inharmonicity does not matter.
inline std::optional<double> estimateFundamentalHz(const std::vector<float> &x, size_t start, int sampleRate,
                                                   double minHz, double maxHz)
{
    const auto coarse = yinFrequencyHz(x, start, sampleRate, minHz, maxHz);
    if (!coarse)
        return std::nullopt;
    // About a third of a second: a Hann main lobe narrow enough that the
    // second partial (an octave up) cannot leak into the search range.
    const size_t length = std::min<size_t>(16384, x.size() - start);
    if (length < size_t(8.0 * sampleRate / *coarse))
        return std::nullopt;
    return spectralPeakHz(x, start, length, sampleRate, *coarse);
}

}  // namespace wavcheck
