// The banner across the top of the wizard: a bitmap resource stretched over the control.
#pragma once
#include "platform/dialog.h"

namespace ui {

class BannerStatic : public framework::Control {
public:
    BannerStatic() = default;
    ~BannerStatic() override;

    // Loads bitmap resource `id` (low 16 bits) in place of the one held; false when it is missing.
    bool SetBitmapId(win::UINT id);
    bool OnMessage(win::UINT message, win::WPARAM wParam, win::LPARAM lParam, win::LRESULT& result) override;

private:
    void Paint();

    win::HBITMAP m_bitmap = nullptr;
    win::UINT m_nBitmapId = 0;
};

}  // namespace ui
