#include "platform/render/Painter.h"

#include "platform/render/Blend.h"
#include "platform/render/Font.h"
#include "platform/render/ScaledImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace nocturo {

namespace {
void toBytes(Color c, std::uint8_t out[4]) {
    out[0] = blend::toByte(c.red);
    out[1] = blend::toByte(c.green);
    out[2] = blend::toByte(c.blue);
    out[3] = 255;
}

int floorInt(float v) {
    return static_cast<int>(std::floor(v));
}
int ceilInt(float v) {
    return static_cast<int>(std::ceil(v));
}

// The part of the unit interval [i, i + 1) inside [a, b).
float overlap(int i, float a, float b) {
    return std::clamp(std::min(b, static_cast<float>(i + 1)) - std::max(a, static_cast<float>(i)),
                      0.0f, 1.0f);
}
} // namespace

Painter::Painter(Framebuffer& target, float scale) : target_(&target), scale_(scale) {
    state_.clip = {0, 0, target.width, target.height};
}

void Painter::translate(float dx, float dy) {
    state_.tx += dx;
    state_.ty += dy;
}

void Painter::clipTo(Rect local) {
    state_.clip = state_.clip.intersection(enclosing(local));
}

void Painter::clipToPixels(const PixelRect& rect) {
    state_.clip = state_.clip.intersection(rect);
}

void Painter::setOpacity(float opacity) {
    state_.opacity = std::isfinite(opacity) ? std::clamp(opacity, 0.0f, 1.0f) : 0.0f;
}

void Painter::multiplyOpacity(float alpha) {
    state_.opacity *= std::isfinite(alpha) ? std::clamp(alpha, 0.0f, 1.0f) : 0.0f;
}

Rect Painter::toPixels(Rect r) const {
    return {(r.minX() + state_.tx) * scale_, (r.minY() + state_.ty) * scale_, r.width() * scale_,
            r.height() * scale_};
}

PixelRect Painter::enclosing(Rect local) const {
    Rect p = toPixels(local);
    if (p.isEmpty() || !std::isfinite(p.minX()) || !std::isfinite(p.minY()) ||
        !std::isfinite(p.maxX()) || !std::isfinite(p.maxY()))
        return {};
    // Held well inside int range; the clip cuts it down further.
    auto hold = [](float v) { return std::clamp(v, -1.0e8f, 1.0e8f); };
    return {floorInt(hold(p.minX())), floorInt(hold(p.minY())), ceilInt(hold(p.maxX())),
            ceilInt(hold(p.maxY()))};
}

PixelRect Painter::interior(Rect local) const {
    Rect p = toPixels(local);
    if (p.isEmpty() || !std::isfinite(p.minX()) || !std::isfinite(p.minY()) ||
        !std::isfinite(p.maxX()) || !std::isfinite(p.maxY()))
        return {};
    auto hold = [](float v) { return std::clamp(v, -1.0e8f, 1.0e8f); };
    PixelRect r{ceilInt(hold(p.minX())), ceilInt(hold(p.minY())), floorInt(hold(p.maxX())),
                floorInt(hold(p.maxY()))};
    return r.isEmpty() ? PixelRect{} : r;
}

void Painter::fillPixels(const PixelRect& rect, Color color) {
    PixelRect r = rect.intersection(state_.clip);
    std::uint32_t a = blend::toByte(color.alpha * state_.opacity);
    if (r.isEmpty() || a == 0)
        return;
    std::uint8_t rgba[4];
    toBytes(color, rgba);
    blend::blendSpan(target_->at(r.x0, r.y0), r.width(), rgba, a);
    for (int y = r.y0 + 1; y < r.y1; ++y) {
        // Copying the row above beats filling where the library has no fast fill.
        if (a == 255 && !blend::libraryFills)
            std::memcpy(target_->at(r.x0, y), target_->at(r.x0, r.y0),
                        static_cast<std::size_t>(r.width()) * 4);
        else
            blend::blendSpan(target_->at(r.x0, y), r.width(), rgba, a);
    }
}

void Painter::fillRect(Rect local, Color color) {
    PixelRect r = enclosing(local).intersection(state_.clip);
    float alpha = color.alpha * state_.opacity;
    if (r.isEmpty() || !(alpha > 0.0f))
        return;
    Rect p = toPixels(local);
    std::uint8_t rgba[4];
    toBytes(color, rgba);
    // Columns cut by the rect's left and right edges; the ones between are covered whole.
    int innerX0 = std::max(r.x0, ceilInt(p.minX()));
    int innerX1 = std::min(r.x1, floorInt(p.maxX()));
    const std::uint8_t* solidRow = nullptr;
    for (int y = r.y0; y < r.y1; ++y) {
        float rowCover = overlap(y, p.minY(), p.maxY()) * alpha;
        std::uint8_t* row = target_->at(0, y);
        if (innerX1 <= innerX0) {
            for (int x = r.x0; x < r.x1; ++x)
                blend::blendPixel(row + x * 4, rgba,
                                  blend::toByte(rowCover * overlap(x, p.minX(), p.maxX())));
            continue;
        }
        for (int x = r.x0; x < innerX0; ++x)
            blend::blendPixel(row + x * 4, rgba,
                              blend::toByte(rowCover * overlap(x, p.minX(), p.maxX())));
        // Rows covered whole by an opaque colour are the same: copy the first one, unless the
        // library fills faster than it copies.
        std::uint32_t a = blend::toByte(rowCover);
        if (a == 255 && solidRow && !blend::libraryFills) {
            std::memcpy(row + innerX0 * 4, solidRow,
                        static_cast<std::size_t>(innerX1 - innerX0) * 4);
        } else {
            blend::blendSpan(row + innerX0 * 4, innerX1 - innerX0, rgba, a);
            if (a == 255)
                solidRow = row + innerX0 * 4;
        }
        for (int x = innerX1; x < r.x1; ++x)
            blend::blendPixel(row + x * 4, rgba,
                              blend::toByte(rowCover * overlap(x, p.minX(), p.maxX())));
    }
}

void Painter::fillRoundedRect(Rect local, float radius, Color color) {
    Rect p = toPixels(local);
    roundedShape(p.minX(), p.minY(), p.maxX(), p.maxY(), radius * scale_, 0.0f, color);
}

void Painter::strokeRoundedRect(Rect local, float radius, float lineWidth, Color color) {
    if (!(lineWidth > 0.0f))
        return;
    Rect p = toPixels(local);
    roundedShape(p.minX(), p.minY(), p.maxX(), p.maxY(), radius * scale_, lineWidth * scale_,
                 color);
}

void Painter::fillCircle(Point center, float radius, Color color) {
    Rect p = toPixels({center.x - radius, center.y - radius, radius * 2.0f, radius * 2.0f});
    roundedShape(p.minX(), p.minY(), p.maxX(), p.maxY(), radius * scale_, 0.0f, color);
}

// Coverage comes from the signed distance d of each pixel's centre to the outline: inside is
// negative, and a pixel is covered by 0.5 - d (for a stroke, by the band of `lineWidth` just
// inside). Only the pixels near the outline are measured; the rest of each row is filled as a
// span or skipped.
void Painter::roundedShape(float x0, float y0, float x1, float y1, float radius, float lineWidth,
                           Color color) {
    float w = x1 - x0, h = y1 - y0;
    float alpha = color.alpha * state_.opacity;
    if (!(w > 0.0f) || !(h > 0.0f) || !(alpha > 0.0f) || !std::isfinite(w) || !std::isfinite(h))
        return;
    PixelRect area =
        PixelRect{floorInt(x0), floorInt(y0), ceilInt(x1), ceilInt(y1)}.intersection(state_.clip);
    if (area.isEmpty())
        return;
    const float hx = w / 2.0f, hy = h / 2.0f, cx = x0 + hx, cy = y0 + hy;
    const float r = std::clamp(std::isfinite(radius) ? radius : 0.0f, 0.0f, std::min(hx, hy));
    const bool stroke = lineWidth > 0.0f;
    std::uint8_t rgba[4];
    toBytes(color, rgba);

    auto distance = [&](float px, float py) {
        float qx = std::fabs(px - cx) - (hx - r), qy = std::fabs(py - cy) - (hy - r);
        float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
        float outside = std::sqrt(ox * ox + oy * oy);
        return outside + std::min(std::max(qx, qy), 0.0f) - r;
    };
    auto cover = [&](float d) {
        float c = stroke ? std::min({0.5f - d, d + lineWidth + 0.5f, lineWidth}) : 0.5f - d;
        return std::clamp(c, 0.0f, 1.0f);
    };
    // Half the width of the shape, inset by `inset`, at height y; negative outside it.
    auto halfWidth = [&](float y, float inset) {
        float ihx = hx - inset, ihy = hy - inset, ir = std::max(r - inset, 0.0f);
        if (ihx <= 0.0f || ihy <= 0.0f)
            return -1.0f;
        float dy = std::fabs(y - cy) - (ihy - ir);
        if (dy <= 0.0f)
            return ihx;
        if (dy > ir)
            return -1.0f;
        return (ihx - ir) + std::sqrt(std::max(ir * ir - dy * dy, 0.0f));
    };

    for (int y = area.y0; y < area.y1; ++y) {
        float top = std::max(static_cast<float>(y), y0), bottom = std::min(y + 1.0f, y1);
        if (top >= bottom)
            continue;
        float outer = halfWidth(std::clamp(cy, top, bottom), 0.0f);
        if (outer < 0.0f)
            outer = 0.0f;
        int xa = std::max(area.x0, floorInt(cx - outer - 1.0f));
        int xb = std::min(area.x1, ceilInt(cx + outer + 1.0f));
        // Pixels whose whole box lies inside the shape (inset by the line for a stroke).
        float inset = stroke ? lineWidth : 0.0f;
        float inner = (y >= y0 && y + 1 <= y1)
                          ? std::min(halfWidth(static_cast<float>(y), inset),
                                     halfWidth(static_cast<float>(y + 1), inset))
                          : -1.0f;
        int ia = xb, ib = xb;
        if (inner > 0.0f) {
            ia = std::clamp(ceilInt(cx - inner), xa, xb);
            ib = std::clamp(floorInt(cx + inner), ia, xb);
        }
        std::uint8_t* row = target_->at(0, y);
        float py = y + 0.5f;
        for (int x = xa; x < ia; ++x)
            blend::blendPixel(row + x * 4, rgba,
                              blend::toByte(cover(distance(x + 0.5f, py)) * alpha));
        if (!stroke)
            blend::blendSpan(row + ia * 4, ib - ia, rgba, blend::toByte(alpha));
        for (int x = ib; x < xb; ++x)
            blend::blendPixel(row + x * 4, rgba,
                              blend::toByte(cover(distance(x + 0.5f, py)) * alpha));
    }
}

void Painter::drawImage(const ScaledImage& image) {
    PixelRect r = image.area.intersection(state_.clip);
    std::uint32_t o = blend::toByte(state_.opacity);
    if (r.isEmpty() || o == 0)
        return;
    for (int y = r.y0; y < r.y1; ++y) {
        int iy = y - image.area.y0;
        std::uint8_t* dst = target_->at(0, y);
        for (const ScaledImage::Run* run = image.rowBegin(iy); run != image.rowFinish(iy); ++run) {
            int a = std::max(image.area.x0 + run->start, r.x0);
            int b = std::min(image.area.x0 + run->start + run->length, r.x1);
            if (a >= b || run->kind == ScaledImage::RunKind::Clear)
                continue;
            if (run->kind == ScaledImage::RunKind::Solid) {
                if (run->colour[3] == 255 && o >= 255)
                    blend::fillSpan(dst + a * 4, b - a, run->colour);
                else
                    blend::blendPremultipliedColourSpan(dst + a * 4, run->colour, b - a, o);
                continue;
            }
            const std::uint8_t* s =
                image.pixels.data() + run->offset + (a - image.area.x0 - run->start) * 4;
            if (run->kind == ScaledImage::RunKind::Opaque && o >= 255)
                std::memcpy(dst + a * 4, s, static_cast<std::size_t>(b - a) * 4);
            else
                blend::blendPremultipliedSpan(dst + a * 4, s, b - a, o);
        }
    }
}

void Painter::drawText(Font& font, std::u32string_view text, float size, Point origin,
                       Color color) {
    float alpha = color.alpha * state_.opacity;
    if (!font.isLoaded() || !(alpha > 0.0f) || !(size > 0.0f) || state_.clip.isEmpty())
        return;
    std::uint8_t rgba[4];
    toBytes(color, rgba);
    const std::uint32_t a = blend::toByte(alpha);
    const float pixels = size * scale_;
    float pen = (origin.x + state_.tx) * scale_;
    const int baseline = static_cast<int>(std::lround((origin.y + state_.ty) * scale_));
    for (std::size_t i = 0; i < text.size(); ++i) {
        const Font::Glyph& g = font.glyph(text[i], pixels);
        int gx = static_cast<int>(std::lround(pen)) + g.left, gy = baseline + g.top;
        PixelRect box = PixelRect{gx, gy, gx + g.width, gy + g.height}.intersection(state_.clip);
        for (int y = box.y0; y < box.y1; ++y) {
            const std::uint8_t* cov =
                g.coverage.data() + static_cast<std::size_t>(y - gy) * g.width + (box.x0 - gx);
            std::uint8_t* dst = target_->at(box.x0, y);
            for (int x = box.x0; x < box.x1; ++x, ++cov, dst += 4)
                if (*cov)
                    blend::blendPixel(dst, rgba, blend::div255(*cov * a));
        }
        pen += g.advance;
        if (i + 1 < text.size())
            pen += font.kerning(text[i], text[i + 1], pixels);
    }
}

} // namespace nocturo
