#pragma once
// The fit-quality label as the main window sets it up, for the label's tests and goldens.
#include "numlab/numlab.h"

inline void ConfigureAsMainWindowLabel(TNumLab& lab)
{
    lab.resize(193, 22);
    lab.Font().SetName("Arial");
    lab.Font().SetHeight(13);
    lab.Font().SetColor(clBlack);
    lab.SetLeftText("Anpassungsgrad:  ");
    lab.SetLeftSpace(120);
    lab.SetLeftTextAlignment(taRightJustify);
    lab.SetLabelWidth(60);
    lab.SetDisplayType(dtFixP);
    lab.SetPrecision(4);
    lab.SetAlignment(taCenter);
    lab.SetColorLabBakG(clSilver);
    lab.SetColorOutBakG(clBtnFace);
    lab.SetFrameStyle(fsLowered);
}
