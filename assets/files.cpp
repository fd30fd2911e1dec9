// SPDX-License-Identifier: GPL-3.0-or-later
#include <QBuffer>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "assets.h"

namespace vis::assets {
namespace {

void put16(QByteArray& out, std::uint32_t v) {
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>((v >> 8) & 0xFF));
}

void put32(QByteArray& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// A fixed generator, not std::rand or a library distribution, so that every
// build writes the same bytes on every platform.
class Noise {
public:
    double next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_) / 2147483648.0 - 1.0;
    }

private:
    std::uint32_t state_ = 0x2545F491u;
};

}  // namespace

QByteArray shutterSound() {
    // Two filtered noise bursts with fast decay (the blind opening, then the
    // mirror coming back), each starting on a click, over a short low thump.
    constexpr int rate = 22050;
    constexpr int count = rate / 4;
    constexpr double pi = std::numbers::pi;
    struct Burst {
        double start, decay, gain;
    };
    constexpr Burst bursts[] = {{0.002, 0.011, 1.0}, {0.092, 0.017, 0.7}};

    Noise noise;
    std::vector<double> s(count);
    double fast = 0, slow = 0;
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double x = noise.next();
        fast += 0.6 * (x - fast);
        slow += 0.08 * (x - slow);
        const double band = fast - slow;  // keeps the crisp middle of the noise
        double v = 0.45 * std::sin(2 * pi * 170 * t) * std::exp(-t / 0.025);
        for (const Burst& b : bursts) {
            if (t < b.start) continue;
            const double dt = t - b.start;
            v += b.gain * band * 1.6 * std::exp(-dt / b.decay);
            v += b.gain * 0.8 * std::sin(2 * pi * 2900 * dt) * std::exp(-dt / 0.0015);
        }
        s[i] = v;
    }
    double peak = 0;
    for (double v : s) peak = std::max(peak, std::abs(v));
    const int fade = rate / 200;
    QByteArray pcm;
    pcm.reserve(count * 2);
    for (int i = 0; i < count; ++i) {
        double v = s[i] / peak * 0.85;
        if (i >= count - fade) v *= static_cast<double>(count - 1 - i) / fade;
        put16(pcm, static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(v * 32767))));
    }

    QByteArray wav;
    wav.append("RIFF");
    put32(wav, static_cast<std::uint32_t>(36 + pcm.size()));
    wav.append("WAVEfmt ");
    put32(wav, 16);
    put16(wav, 1);  // PCM
    put16(wav, 1);  // mono
    put32(wav, rate);
    put32(wav, rate * 2);  // bytes a second
    put16(wav, 2);         // bytes a frame
    put16(wav, 16);        // bits a sample
    wav.append("data");
    put32(wav, static_cast<std::uint32_t>(pcm.size()));
    wav.append(pcm);
    return wav;
}

QByteArray icoFile(const std::vector<QImage>& sizes) {
    // Uncompressed 32-bit entries with their AND masks: every reader of icons
    // understands them, PNG-compressed entries are newer.
    std::vector<QByteArray> entries;
    for (const QImage& any : sizes) {
        const QImage img = any.convertToFormat(QImage::Format_ARGB32);
        const int w = img.width(), h = img.height();
        const int maskRow = ((w + 31) / 32) * 4;
        QByteArray e;
        put32(e, 40);
        put32(e, static_cast<std::uint32_t>(w));
        put32(e, static_cast<std::uint32_t>(h * 2));  // colour rows, then mask rows
        put16(e, 1);
        put16(e, 32);
        put32(e, 0);
        put32(e, static_cast<std::uint32_t>(w * h * 4 + maskRow * h));
        for (int i = 0; i < 4; ++i) put32(e, 0);
        for (int y = h - 1; y >= 0; --y) {
            for (int x = 0; x < w; ++x) {
                const QRgb c = img.pixel(x, y);
                e.append(static_cast<char>(qBlue(c)));
                e.append(static_cast<char>(qGreen(c)));
                e.append(static_cast<char>(qRed(c)));
                e.append(static_cast<char>(qAlpha(c)));
            }
        }
        for (int y = h - 1; y >= 0; --y) {
            QByteArray row(maskRow, '\0');
            for (int x = 0; x < w; ++x)
                if (qAlpha(img.pixel(x, y)) == 0) row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
            e.append(row);
        }
        entries.push_back(e);
    }

    QByteArray ico;
    put16(ico, 0);
    put16(ico, 1);  // icon, not cursor
    put16(ico, static_cast<std::uint32_t>(sizes.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const int w = sizes[i].width(), h = sizes[i].height();
        ico.append(static_cast<char>(w >= 256 ? 0 : w));
        ico.append(static_cast<char>(h >= 256 ? 0 : h));
        ico.append('\0');  // no palette
        ico.append('\0');
        put16(ico, 1);
        put16(ico, 32);
        put32(ico, static_cast<std::uint32_t>(entries[i].size()));
        put32(ico, offset);
        offset += static_cast<std::uint32_t>(entries[i].size());
    }
    for (const QByteArray& e : entries) ico.append(e);
    return ico;
}

}  // namespace vis::assets
