#include "platform/form_geometry.h"

#include <cmath>

namespace brellix::platform {

int TwipsToPixels(int twips, int dpi) {
    // Floor, not truncation, so that positions left of the primary monitor follow the same rule.
    return static_cast<int>(std::floor(static_cast<double>(twips) * dpi / kTwipsPerInch + 0.5));
}

int FontPixelHeight(float points, int dpi) { return static_cast<int>(std::lround(points * dpi / 72.0)); }

int CheckListRowHeight(float points, int dpi) { return FontPixelHeight(points, dpi) + 2 * dpi / 96; }

const ControlPlacement* FormGeometry::Find(int id) const {
    for (const ControlPlacement& placement : controls) {
        if (placement.id == id) return &placement;
    }
    return nullptr;
}

bool HasPlaceOnForm(ControlType type) {
    switch (type) {
        case ControlType::CommandButton:
        case ControlType::CheckListBox:
        case ControlType::DropDownList:
        case ControlType::Label:
            return true;
        case ControlType::Timer:
        case ControlType::Menu:
        case ControlType::MenuItem:
        case ControlType::MenuSeparator:
            return false;
    }
    return false;
}

FormGeometry LayoutForm(const FormSpec& form, int dpi) {
    FormGeometry geometry;
    geometry.clientWidth = TwipsToPixels(form.clientWidth, dpi);
    geometry.clientHeight = TwipsToPixels(form.clientHeight, dpi);
    for (const ControlSpec& control : form.controls) {
        if (!HasPlaceOnForm(control.type)) continue;
        ControlPlacement placement;
        placement.id = control.id;
        const int left = TwipsToPixels(control.left, dpi), top = TwipsToPixels(control.top, dpi);
        placement.rect = PixelRect{left, top, left + TwipsToPixels(control.width, dpi),
                                   top + TwipsToPixels(control.height, dpi)};
        if (control.type == ControlType::CheckListBox) {
            placement.rowHeight = CheckListRowHeight(control.font.value_or(form.font).points, dpi);
        }
        geometry.controls.push_back(placement);
    }
    return geometry;
}

}  // namespace brellix::platform
