#include "ui/banner_static.h"

#include "platform/resources.h"
#include "platform/system.h"
#include "platform/scoped.h"

namespace ui {

BannerStatic::~BannerStatic() {
    if (m_bitmap) win::DeleteObject(m_bitmap);
}

bool BannerStatic::SetBitmapId(win::UINT id) {
    m_nBitmapId = id;
    if (m_bitmap) win::DeleteObject(m_bitmap);
    m_bitmap = win::LoadBitmapW(win::GetModuleHandleW(nullptr), win::MAKEINTRESOURCEW(id & 0xFFFF));
    return m_bitmap != nullptr;
}

bool BannerStatic::OnMessage(win::UINT message, win::WPARAM, win::LPARAM, win::LRESULT& result) {
    if (message != win::WM_PAINT) return false;
    Paint();
    result = 0;
    return true;
}

void BannerStatic::Paint() {
    win::PAINTSTRUCT paint{};
    win::HDC dc = win::BeginPaint(m_hWnd, &paint);
    win::RECT client{};
    win::GetClientRect(m_hWnd, &client);
    win::BITMAP size{};
    if (dc && m_bitmap && win::GetObjectW(m_bitmap, sizeof size, &size)) {
        if (const win::ScopedMemoryDc memory(win::CreateCompatibleDC(dc)); memory) {
            const win::ScopedSelection picture(memory.get(), m_bitmap);
            win::StretchBlt(dc, 0, 0, client.right - client.left, client.bottom - client.top, memory.get(), 0, 0,
                            size.bmWidth, size.bmHeight, win::SRCCOPY);
        }
    }
    win::EndPaint(m_hWnd, &paint);
}

}  // namespace ui
