#include "Controls/NumericUpDown.h"

#include "Controls/NotificationChain.h"
#include "notification/KeyCode.h"
#include "notification/Notification.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <string>

namespace Orv
{
namespace
{
const wchar_t* const kValidating = L"NID_TEXTBOX_VALIDATING";
const wchar_t* const kValidated = L"NID_TEXTBOX_VALIDATED";
const wchar_t* const kAutoRepeat = L"NID_BUTTON_AUTOREPEAT";
const wchar_t* const kSimulateClick = L"NID_SIMULATE_CLICK";
// Up and Down pressed without modifiers.
constexpr LONG kUpPressed = 0x20260000;
constexpr LONG kDownPressed = 0x20280000;

// The number at the start of text, 0 when there is none (as the C library reads it).
double ReadNumber(const WString& text)
{
    return std::wcstod(text.GetBuffer(), nullptr);
}

RCPtr<LNotificationDistributor> AsSource(LControl* control)
{
    return RCPtr<LNotificationDistributor>(control);
}
} // namespace

LNumericUpDown::LNumericUpDown(const RCPtr<LControl>& parent,
                               const RCPtr<LControlDescriptor>& descriptor)
    : LPanel(parent, descriptor)
{
}

LNumericUpDown::LNumericUpDown(const RCPtr<LControl>& parent, const WString& name)
    : LPanel(parent, name)
{
}

LNumericUpDown::~LNumericUpDown()
{
    mNumericHandler = nullptr;
}

ORVRESULT LNumericUpDown::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                              const RCPtr<LNotification>& notification)
{
    return ReceiveThroughChain<LPanel>(*this, mNumericHandler, source, notification);
}

ORVRESULT LNumericUpDown::Unregister(const RCPtr<LNotificationDistributor>& source,
                                     const wchar_t* name)
{
    return UnregisterThroughChain<LPanel>(*this, mNumericHandler, source, name);
}

ORVRESULT LNumericUpDown::Initialize()
{
    const ORVRESULT result = LPanel::Initialize();
    mTextBox = RCPtr<LTextBox>(FindChildControl(WString(L"textBox")));
    mUpButton = RCPtr<LButton>(FindChildControl(WString(L"buttonUp")));
    mDownButton = RCPtr<LButton>(FindChildControl(WString(L"buttonDown")));
    for (const RCPtr<LButton>& button : {mUpButton, mDownButton})
    {
        if (button)
        {
            button->SetAutoRepeat(true);
            button->SetRepeating(false);
        }
    }
    UpdateAllowedCharacters();
    if (!IsCreated())
    {
        mNumericHandler = new LNotificationHandler<LNumericUpDown>(this);
        if (mTextBox)
        {
            ORV_REQUIRE_SUCCESS(mNumericHandler->SubscribeHandler(
                &LNumericUpDown::OnTextBoxValidating, AsSource(mTextBox.Get()), kValidating));
            ORV_REQUIRE_SUCCESS(mNumericHandler->SubscribeHandler(
                &LNumericUpDown::OnTextBoxValidated, AsSource(mTextBox.Get()), kValidated));
        }
        for (const RCPtr<LButton>& button : {mUpButton, mDownButton})
        {
            if (button)
            {
                ORV_REQUIRE_SUCCESS(mNumericHandler->SubscribeHandler(
                    &LNumericUpDown::OnButtonAutoRepeat, AsSource(button.Get()), kAutoRepeat));
            }
        }
    }
    return result;
}

void LNumericUpDown::OnCreated()
{
    LPanel::OnCreated();
    SetNotFocusable(false);
    for (const RCPtr<LButton>& button : {mUpButton, mDownButton})
    {
        if (button)
        {
            button->SetNotFocusable(true);
        }
    }
    ShowValueText();
}

ORVRESULT LNumericUpDown::SetText(const WString& text)
{
    SetValue(ValueToNormalized(ReadNumber(text)));
    return S_OK;
}

void LNumericUpDown::OnValueChangeHook()
{
    LPanel::OnValueChangeHook();
    if (mTextBox)
    {
        const RCPtr<LControl> self(this);
        mTextBox->SetText(FormatValueText());
        mTextBox->IsInputAcceptable();
    }
}

ORVRESULT LNumericUpDown::SetValueRange(double minimum, double maximum, int scale)
{
    const ORVRESULT result = LPanel::SetValueRange(minimum, maximum, scale);
    if (FAILED(result))
    {
        return result;
    }
    UpdateAllowedCharacters();
    ShowValueText();
    return S_OK;
}

ORVRESULT LNumericUpDown::RouteSiblingKey(const RCPtr<LKeyParam>& param)
{
    if (param)
    {
        const LONG key = param->key.code & ~KeyCode::kInputFlag;
        const RCPtr<LButton>& button =
            key == kUpPressed ? mUpButton : (key == kDownPressed ? mDownButton : RCPtr<LButton>());
        if ((key == kUpPressed || key == kDownPressed))
        {
            if (button)
            {
                button->DeliverNamed(kSimulateClick, nullptr);
            }
            return S_OK;
        }
    }
    return LPanel::RouteSiblingKey(param);
}

void LNumericUpDown::UpdateAllowedCharacters()
{
    if (!mTextBox)
    {
        return;
    }
    WString set(L"0123456789");
    if (mDecimals > 0)
    {
        set = set + WString(L".");
    }
    if (GetMinimum() < 0)
    {
        set = set + WString(L"-");
    }
    mTextBox->SetCharacterSet(set, true);
}

WString LNumericUpDown::FormatValueText() const
{
    const double value = GetMappedValue();
    const int needed = std::snprintf(nullptr, 0, "%0.*f", mDecimals, value);
    if (needed <= 0)
    {
        return WString();
    }
    std::string text(static_cast<std::size_t>(needed) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%0.*f", mDecimals, value);
    text.resize(static_cast<std::size_t>(needed));
    return WString(text.c_str());
}

double LNumericUpDown::ValueToNormalized(double value) const
{
    const double minimum = GetMinimum();
    const double maximum = GetMaximum();
    if (std::isnan(value) || minimum == maximum)
    {
        return 0.0;
    }
    const double low = std::min(minimum, maximum);
    const double high = std::max(minimum, maximum);
    const double clamped = std::clamp(value, low, high);
    if (GetScale() == kLogarithmicScale)
    {
        return std::log(clamped / minimum) / std::log(maximum / minimum);
    }
    return (clamped - minimum) / (maximum - minimum);
}

void LNumericUpDown::SetDecimals(int decimals)
{
    mDecimals = std::clamp(decimals, 0, 15);
    UpdateAllowedCharacters();
    ShowValueText();
}

void LNumericUpDown::ShowValueText()
{
    if (mTextBox)
    {
        mTextBox->SetText(FormatValueText());
    }
}

ORVRESULT LNumericUpDown::OnButtonAutoRepeat(const RCPtr<LNotificationDistributor>& source,
                                             const RCPtr<LNotification>&)
{
    const bool up = mUpButton && source.Get() == AsSource(mUpButton.Get()).Get();
    const bool down = mDownButton && source.Get() == AsSource(mDownButton.Get()).Get();
    if (!up && !down)
    {
        return 1;
    }
    const RCPtr<LControl> self(this);
    const double value = GetMappedValue() + (up ? mStep : -mStep);
    SetValue(ValueToNormalized(value));
    return 1;
}

ORVRESULT LNumericUpDown::OnTextBoxValidating(const RCPtr<LNotificationDistributor>&,
                                              const RCPtr<LNotification>& notification)
{
    const RCPtr<LTextValidationParams> params =
        notification ? RCPtr<LTextValidationParams>(notification->param) : nullptr;
    if (!params)
    {
        return 1;
    }
    const RCPtr<LControl> self(this);
    SendNotification(LNotification::Create(kValidating, RCPtr<LRefCountedObject>(params.Get())));
    if (!params->accept)
    {
        return 1;
    }
    const double current = GetMappedValue();
    const WString& text = params->text;
    const int minus = text.Find(WString(L"-"));
    const int lastMinus = text.ReverseFind(L'-');
    const bool misplacedMinus = minus > 0 || (minus == 0 && lastMinus != 0);
    const bool twoPoints = text.Find(WString(L".")) != text.ReverseFind(L'.');
    const bool rejected = misplacedMinus || text == L"-" || twoPoints || text.IsEmpty();
    double candidate = rejected ? current : ReadNumber(text);
    candidate = std::clamp(candidate, std::min(GetMinimum(), GetMaximum()),
                           std::max(GetMinimum(), GetMaximum()));
    if (candidate == current)
    {
        if (rejected || current == GetMinimum() || current == GetMaximum() || current == 0.0)
        {
            params->text = FormatValueText();
            params->accept = true;
        }
        return 1;
    }
    SetValue(ValueToNormalized(candidate));
    params->text = FormatValueText();
    params->accept = true;
    return 1;
}

ORVRESULT LNumericUpDown::OnTextBoxValidated(const RCPtr<LNotificationDistributor>&,
                                             const RCPtr<LNotification>& notification)
{
    if (notification)
    {
        SendNotification(LNotification::Create(kValidated, notification->param));
    }
    return 1;
}
} // namespace Orv
