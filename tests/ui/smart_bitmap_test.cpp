// The image holder: icons measured through their bitmap, images decoded from
// memory and "PNG" resources, and drawing onto a device context.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "framework/dc.h"
#include "framework/scoped_handle.h"
#include "ui/smart_bitmap.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

// A 24-bit BMP file of one colour.
std::vector<BYTE> MakeBmp(int width, int height, COLORREF color)
{
    const int stride = (width * 3 + 3) & ~3;
    const uint32_t pixels = static_cast<uint32_t>(stride * height);
    std::vector<BYTE> file(14 + 40 + pixels, 0);
    auto put16 = [&](size_t at, uint16_t v) {
        file[at] = BYTE(v);
        file[at + 1] = BYTE(v >> 8);
    };
    auto put32 = [&](size_t at, uint32_t v) {
        put16(at, uint16_t(v));
        put16(at + 2, uint16_t(v >> 16));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    put16(26, 1);
    put16(28, 24);
    put32(34, pixels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            BYTE* p = &file[54 + y * stride + x * 3];
            p[0] = GetBValue(color);
            p[1] = GetGValue(color);
            p[2] = GetRValue(color);
        }
    return file;
}

// A white 40 x 40 drawing surface.
class Canvas {
public:
    Canvas()
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = 40;
        info.bmiHeader.biHeight = -40;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        m_bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        m_previous = ::SelectObject(m_dc.GetSafeHdc(), m_bitmap.get());
        Clear();
    }
    // The bitmap is selected out before it and the DC are deleted.
    ~Canvas() { ::SelectObject(m_dc.GetSafeHdc(), m_previous); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void Clear() { ::PatBlt(m_dc.GetSafeHdc(), 0, 0, 40, 40, WHITENESS); }
    COLORREF Pixel(int x, int y) const { return ::GetPixel(m_dc.GetSafeHdc(), x, y); }
    bool AllWhite() const
    {
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x)
                if (Pixel(x, y) != kWhite)
                    return false;
        return true;
    }
    CDC* dc() { return &m_dc; }

private:
    ScopedMemoryDC m_memory{::CreateCompatibleDC(nullptr)};
    CDC m_dc{m_memory.get()};
    ScopedGdiObject<HBITMAP> m_bitmap;
    HGDIOBJ m_previous = nullptr; // not owned
};

void DrawAllFive(const SmartBitmap& image, Canvas& canvas)
{
    image.Draw(RECT{0, 0, 20, 20}, canvas.dc());
    image.Draw(1, 1, RECT{0, 0, 2, 2}, canvas.dc());
    image.Draw(2, 2, 10, 10, canvas.dc());
    image.Draw(3, 3, canvas.dc());
    Gdiplus::Graphics graphics(canvas.dc()->GetSafeHdc());
    image.Draw(graphics);
}

TEST(SmartBitmap, MeasuresAnIconThroughItsBitmapAndDrawsTheIcon)
{
    SmartBitmap image;
    ASSERT_TRUE(image.SetIcon(::CopyIcon(::LoadIconW(nullptr, IDI_QUESTION))));
    ASSERT_NE(nullptr, image.GetBitmap());
    EXPECT_EQ(static_cast<UINT>(::GetSystemMetrics(SM_CXICON)), image.GetBitmap()->GetWidth());
    EXPECT_EQ(static_cast<UINT>(::GetSystemMetrics(SM_CYICON)), image.GetBitmap()->GetHeight());

    Canvas canvas;
    image.Draw(4, 4, canvas.dc());
    EXPECT_FALSE(canvas.AllWhite());
    image.Draw(4, 4, nullptr); // no device context: nothing, and no crash
}

TEST(SmartBitmap, LoadsABmpFromAPngResourceAndDrawsIt)
{
    SmartBitmap image(1, nullptr);
    ASSERT_NE(nullptr, image.GetBitmap());
    EXPECT_EQ(3u, image.GetBitmap()->GetWidth());
    EXPECT_EQ(2u, image.GetBitmap()->GetHeight());

    Canvas canvas;
    image.Draw(5, 5, canvas.dc());
    EXPECT_EQ(kRed, canvas.Pixel(5, 5));
    EXPECT_EQ(kRed, canvas.Pixel(7, 6));
    EXPECT_EQ(kWhite, canvas.Pixel(8, 5));
    EXPECT_EQ(kWhite, canvas.Pixel(5, 7));

    canvas.Clear();
    image.Draw(RECT{10, 10, 22, 18}, canvas.dc());
    EXPECT_EQ(kRed, canvas.Pixel(15, 13)); // the middle; edges are interpolated
    EXPECT_EQ(kWhite, canvas.Pixel(23, 16));
}

TEST(SmartBitmap, AMissingOrEmptyResourceLeavesTheHolderEmptyAndDrawsNothing)
{
    for (UINT id : {99u, 2u}) {
        SmartBitmap image(id, nullptr);
        EXPECT_EQ(nullptr, image.GetBitmap()) << id;
        Canvas canvas;
        DrawAllFive(image, canvas);
        EXPECT_TRUE(canvas.AllWhite()) << id;
    }
}

TEST(SmartBitmap, KeepsOnlyTheLastImageAndRefusesUndecodableBytes)
{
    SmartBitmap image;
    const std::vector<BYTE> first = MakeBmp(3, 2, kRed);
    const std::vector<BYTE> second = MakeBmp(5, 1, RGB(0, 0, 255));
    ASSERT_TRUE(image.LoadFromMemory(first.data(), static_cast<UINT32>(first.size())));
    ASSERT_TRUE(image.LoadFromMemory(second.data(), static_cast<UINT32>(second.size())));
    EXPECT_EQ(5u, image.GetBitmap()->GetWidth());
    EXPECT_EQ(1u, image.GetBitmap()->GetHeight());

    const char garbage[] = "certainly not an image";
    EXPECT_FALSE(image.LoadFromMemory(garbage, sizeof(garbage)));
    EXPECT_EQ(nullptr, image.GetBitmap());
    EXPECT_FALSE(image.LoadFromMemory(garbage, 0));
    EXPECT_EQ(nullptr, image.GetBitmap());
    Canvas canvas;
    DrawAllFive(image, canvas);
    EXPECT_TRUE(canvas.AllWhite());

    // A holder that decoded nothing can still load later.
    EXPECT_TRUE(image.LoadFromMemory(first.data(), static_cast<UINT32>(first.size())));
    image.Unload();
    EXPECT_EQ(nullptr, image.GetBitmap());
}

TEST(SmartBitmap, DrawsAPartOfTheBitmapUnscaled)
{
    std::vector<BYTE> bytes = MakeBmp(4, 4, kRed);
    SmartBitmap image;
    ASSERT_TRUE(image.LoadFromMemory(bytes.data(), static_cast<UINT32>(bytes.size())));
    Canvas canvas;
    image.Draw(10, 10, RECT{0, 0, 2, 3}, canvas.dc());
    EXPECT_EQ(kRed, canvas.Pixel(11, 12));
    EXPECT_EQ(kWhite, canvas.Pixel(12, 12));
    EXPECT_EQ(kWhite, canvas.Pixel(11, 13));
}

} // namespace
