#pragma once

namespace node {

// The panel's controls that the node logic reads or writes, named as the
// panel names them.
enum class Control {
    ButtonStart,
    ButtonStop,
    EditCCM1,
    EditIP,
    EditFile,
    CSpinRm1,
    CSpinRe1,
    CSpinOr1,
    CSpinPr1,
    CSpinMax,
    CSpinMin,
    CSpinCycle,
    RadioFix,
    RadioSin,
    RadioRnd,
    RadioRnd2,
    RadioFile,
    CheckLoop,
    BtnOpenFile,
    BtnCycleReset,
    ButtonRainOn,
    ButtonRainOff,
    RadioGroup1,
    LabelNow,
    Label7,
};

} // namespace node
