#include "editor/ADEditor.h"

#include "editor/CAbout.h"
#include "editor/CLED.h"
#include "editor/MyFrame.h"
#include "editorglue/LayoutRect.h"
#include "engine/ParameterMapping.h"
#include "plugin/AudioEffect.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace
{
constexpr int32_t kHandleLarge = 1129;
constexpr int32_t kHandleSmall = 1130;
constexpr int32_t kLedBitmap = 1131;
constexpr int32_t kBypassBitmap = 1132;
constexpr int32_t kAboutBitmap = 1200;
constexpr int32_t kAboutTag = 10;
constexpr size_t kTextSize = 256; // the toolkit's conversion buffer

// One knob and the display under it. Rows are in the order the controls are made, which is
// also their drawing order.
struct KnobRow
{
    VstInt32 parameter;
    LayoutRect knob;
    int32_t handle;
    // Where a Ctrl-click puts the knob. These are the editor's own resting positions, not the
    // factory program's values (Decay and Damp rest at 50 %, the program "Default" has 25 %).
    float defaultValue;
    LayoutRect display;
    CParamDisplay::StringConvert convert;
};

const KnobRow kKnobRows[] = {
    {kDecay, kDecayKnob, kHandleLarge, 0.5f, kDecayDisplay, percentToString},
    {kDamp, kDampKnob, kHandleLarge, 0.5f, kDampDisplay, percentToString},
    {kTranspose, kTransposeKnob, kHandleSmall, 0.5f, kTransposeDisplay, semitonesToString},
    {kTune, kTuneKnob, kHandleSmall, 0.5f, kTuneDisplay, centsToString},
    {kDetune, kDetuneKnob, kHandleSmall, 0.0f, kDetuneDisplay, percentToString},
    {kMix, kMixKnob, kHandleSmall, 0.25f, kMixDisplay, percentToString},
    {kOutput, kOutputKnob, kHandleSmall, 0.5f, kOutputDisplay, decibelsToString},
};
constexpr size_t kLastLargeKnobRow = 1;

// Truncation toward zero that is defined for every double: NaN gives 0 and magnitudes beyond
// the integer range stop at its ends.
int truncated(double v)
{
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (v <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

// The output display shows the linear gain 4 p^2 of the stored value p: the square in single
// precision, the factor in double. Unlike the engine's outputGainFor it does not clamp p first,
// so a host's value beyond 1 shows the gain it asks for (the display's range reaches 20).
float outputGainShown(float p)
{
    return static_cast<float>(static_cast<double>(p * p) * 4.0);
}

// The bypass key and the LED after a change show the value rounded, as the engine reads it: 0.5
// and above is on, values outside 0..1 count as their nearest end.
float bypassShown(float p)
{
    return static_cast<float>(orv::bypassedFor(p));
}
} // namespace

// The displays show the stored value of their parameter in the units a user reads; the percent,
// cent and decibel texts have no counterpart among the engine's mappings.
void percentToString(float value, char* string)
{
    std::snprintf(string, kTextSize, "%d%%", truncated(value * 100.0f));
}

void centsToString(float value, char* string)
{
    std::snprintf(string, kTextSize, "%dc", truncated(static_cast<double>(value) * 200.0 - 100.0));
}

// A display's value stays within 0..1 (or is NaN), where the semitones shown are exactly the
// engine's transposition step.
void semitonesToString(float value, char* string)
{
    const int n = orv::transposeStepFor(value) - 24;
    if (n > 0)
        std::snprintf(string, kTextSize, "#%d", n);
    else if (n < 0)
        std::snprintf(string, kTextSize, "b%d", -n);
    else
        std::snprintf(string, kTextSize, "0");
}

void decibelsToString(float value, char* string)
{
    if (!(static_cast<double>(value) > 1e-8))
    {
        std::snprintf(string, kTextSize, "-oo dB");
        return;
    }
    const double d = 20.0 * static_cast<double>(std::log10(value));
    const int i = truncated(d);
    const int t = truncated(std::fabs((d - i) * 10.0));
    // Between -1 and 0 the integer part is 0 and would lose the sign.
    if (d >= 0.0 || d <= -1.0)
        std::snprintf(string, kTextSize, "%d.%ddB", i, t);
    else
        std::snprintf(string, kTextSize, "-%d.%ddB", i, t);
}

ADEditor::ADEditor(AudioEffect* effect, std::unique_ptr<SettingsStore> settings)
    : CPresetSystemEditor(effect, std::move(settings))
{
    // The window is exactly as large as its background picture.
    CBitmap* picture = new CBitmap(CResourceDescription(kEditorBackgroundBitmap));
    rect.top = 0;
    rect.left = 0;
    rect.bottom = static_cast<VstInt16>(picture->getHeight());
    rect.right = static_cast<VstInt16>(picture->getWidth());
    picture->forget();
}

ADEditor::~ADEditor()
{
    // A host closes the window before it closes the effect; if it did not, the frame goes now.
    if (frame) close();
}

bool ADEditor::open(void* ptr)
{
    // A host may open again without closing first: start from a closed window.
    if (frame) close();
    AEffGUIEditor::open(ptr);

    background = new CBitmap(CResourceDescription(kEditorBackgroundBitmap));
    const CRect size(rect.left, rect.top, rect.left + background->getWidth(),
                     rect.top + background->getHeight());
    auto* window = new MyFrame(size, ptr, this);
    window->setBackgroundMenu([this](const CPoint& where) { showZoomMenu(where); }, kAboutTag);
    frame = window;
    // No window could be made (no parent, a parent that is no window, no window system): the
    // host is told so, and nothing of the editor stays open.
    if (!frame->isOpen())
    {
        close();
        return false;
    }
    frame->setBackground(background);
    setKnobMode(kLinearMode);

    // Changes noted before this point are shown by building the controls from the effect.
    pendingParameters.store(0);

    CBitmap* handle = nullptr;
    for (size_t row = 0; row < std::size(kKnobRows); ++row)
    {
        const KnobRow& r = kKnobRows[row];
        if (!handle) handle = new CBitmap(CResourceDescription(r.handle));
        const float p = effect->getParameter(r.parameter);

        const CRect knobRect = toRect(r.knob);
        auto* knob = new CKnob(knobRect, this, r.parameter, background, handle,
                               CPoint(knobRect.left, knobRect.top));
        knob->setValue(p);
        knob->setDefaultValue(r.defaultValue);
        frame->addView(knob);
        knobs[static_cast<size_t>(r.parameter)] = knob;
        if (row == kLastLargeKnobRow)
        {
            handle->forget();
            handle = nullptr;
        }

        const CRect displayRect = toRect(r.display);
        auto* display = new CParamDisplay(displayRect, background, 0);
        display->setBackOffset(CPoint(displayRect.left, displayRect.top));
        display->setHoriAlign(kCenterText);
        display->setFont(kNormalFontVerySmall);
        display->setFontColor(kBlackCColor);
        if (r.parameter == kOutput)
        {
            // The gain reaches 4: raise the display's range so the value is not clamped to 1.
            display->setMax(20.0f);
            display->setValue(outputGainShown(p));
        }
        else
        {
            display->setValue(p);
        }
        display->setStringConvert(r.convert);
        frame->addView(display);
        displays[static_cast<size_t>(r.parameter)] = display;
    }
    handle->forget();

    const float bypass = effect->getParameter(kBypass);
    CBitmap* key = new CBitmap(CResourceDescription(kBypassBitmap));
    bypassButton = new COnOffButton(toRect(kBypassKey), this, kBypass, key, 0);
    bypassButton->setValue(bypassShown(bypass));
    frame->addView(bypassButton);
    key->forget();

    CBitmap* picture = new CBitmap(CResourceDescription(kAboutBitmap));
    about = new CAbout(toRect(kAboutHotSpot), this, kAboutTag, picture, toRect(kAboutPicture),
                       CPoint(0, 0), CPoint(kAboutVersion.left, kAboutVersion.top));
    frame->addView(about);
    picture->forget();

    CBitmap* lamp = new CBitmap(CResourceDescription(kLedBitmap));
    led = new CLED(toRect(kLed), lamp);
    // At open the LED gets the value as it is; later changes show it rounded.
    led->setValue(bypass);
    frame->addView(led);
    lamp->forget();

    CPresetSystemEditor::open(ptr);
    // The first picture now, not at the host's first idle: some hosts leave a window they have
    // just opened without idle for a while.
    frame->updateNow();
    return true;
}

void ADEditor::close()
{
    CPresetSystemEditor::close();
    bypassButton = nullptr;
    led = nullptr;
    knobs.fill(nullptr);
    displays.fill(nullptr);
    about = nullptr;
    if (frame)
    {
        frame->close();
        frame = nullptr;
    }
    if (background)
    {
        background->forget();
        background = nullptr;
    }
    AEffEditor::close();
}

void ADEditor::idle()
{
    showPendingParameters();
    CPresetSystemEditor::idle();
}

void ADEditor::setParameter(VstInt32 index, float)
{
    if (static_cast<uint32_t>(index) > kBypass) return;
    pendingParameters.fetch_or(1u << index, std::memory_order_relaxed);
}

void ADEditor::showPendingParameters()
{
    if (!frame) return;
    const uint32_t pending = pendingParameters.exchange(0, std::memory_order_relaxed);
    for (VstInt32 index = 0; index <= kBypass; ++index)
        if (pending & (1u << index)) showParameter(index);
}

void ADEditor::showParameter(VstInt32 index)
{
    const float p = effect->getParameter(index);
    if (index == kBypass)
    {
        if (bypassButton) bypassButton->setValue(bypassShown(p));
        if (led) led->setValue(bypassShown(p));
        return;
    }
    if (CKnob* knob = knobs[static_cast<size_t>(index)]) knob->setValue(p);
    if (CParamDisplay* display = displays[static_cast<size_t>(index)])
        display->setValue(index == kOutput ? outputGainShown(p) : p);
}

void ADEditor::valueChanged(CControl* control)
{
    CPresetSystemEditor::valueChanged(control);
    if (!control || !effect) return;
    const int32_t tag = control->getTag();
    if (tag >= 0 && tag <= kBypass)
    {
        effect->setParameterAutomated(tag, control->getValue());
        control->setDirty(true);
    }
}

CKnob* ADEditor::getKnob(VstInt32 index) const
{
    return static_cast<uint32_t>(index) < kNumContinuous ? knobs[static_cast<size_t>(index)]
                                                         : nullptr;
}

CParamDisplay* ADEditor::getDisplay(VstInt32 index) const
{
    return static_cast<uint32_t>(index) < kNumContinuous ? displays[static_cast<size_t>(index)]
                                                         : nullptr;
}
