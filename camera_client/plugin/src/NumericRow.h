// One numeric parameter on a page: label, entry field, spin, slider and the two limit labels.
#pragma once

#include "app_framework/afx.h"

#include <string>

namespace kl7700plugin {

struct NumericRow {
    int label;
    int edit;
    int spin;
    int slider;
    int minLabel;
    int maxLabel;

    bool Owns(int id) const { return id == edit || id == spin || id == slider; }
};

// Integer display: the value in the field, "%u " and " %u" as limits, spin and
// slider over the limits with the value as position.
void ShowIntegerRow(CWnd& page, const NumericRow& row, int value, int minimum, int maximum);
// The texts and ranges of a row whose field shows a converted quantity.
// `number` and its limits go to an attached CNumericEdit or CDoubleNumberEdit;
// a plain field shows `value`.
struct RowDisplay {
    std::string value;
    double number = 0, numberMin = 0, numberMax = 0;
    std::string minText;
    std::string maxText;
    int spinMin, spinMax;
    int sliderMin, sliderMax, sliderPos;
};
void ShowRow(CWnd& page, const NumericRow& row, const RowDisplay& display);
void EnableRow(CWnd& page, const NumericRow& row, bool enable);
void EnableControl(CWnd& page, int id, bool enable);

std::string FormatText(const char* format, double value);
// The field's text as an integer (leading digits; empty or none gives 0).
int ReadIntegerField(const CWnd& page, int id);
// The field's text as a real number; digit-group blanks are ignored. False when no number.
bool ReadRealField(const CWnd& page, int id, double& value);
int SliderPos(const CWnd& page, int id);

} // namespace kl7700plugin
