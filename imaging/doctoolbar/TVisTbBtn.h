// The buttons of the imaging toolbar, in their published order; key maps run the zoom buttons
// (ZoomIn 5, ZoomOut 6, BestFit 8) by these numbers.
#pragma once

#include <bitset>

namespace orva::imaging {

enum TVisTbBtn {
    ibdocOpen,
    ibdocSave,
    ibdocPrint,
    ibdocPanZoom,
    ibdocMagnify,
    ibdocZoomIn,
    ibdocZoomOut,
    ibdocResetZoom,
    ibdocBestFit,
    ibdocScanPages,
    ibdocSelectScanner,
    ibdocCut,
    ibdocCopy,
    ibdocPaste,
    ibdocAnnotEdit,
    ibdocEditTags,
    ibdocInvert,
    ibdocRotate90,
    ibdocRotate180,
    ibdocDeskew,
    ibdocRemoveBorder,
    ibdocEffects,
    ibdocFirst,
    ibdocPrior,
    ibdocNext,
    ibdocLast,
    ibdocDelete,
    ibdocPack,
    ibdocUpdate
};

constexpr int kVisTbBtnCount = ibdocUpdate + 1;
using TVisTbBtns = std::bitset<kVisTbBtnCount>;

} // namespace orva::imaging
