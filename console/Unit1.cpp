#include "Unit1.h"

#include "IniFile.h"
#include "port_names.h"

#include "Comm32Error.h"
#include "gbk_text.h"

namespace {

// Timer1's bounds; anything else, a number that does not convert included, becomes 25 ms.
constexpr double MinSampleInterval = 10;
constexpr double MaxSampleInterval = 999;
constexpr std::uint32_t FallbackSampleInterval = 25;

// The operator needs the device and the system's reason as well as what failed.
std::string openFailureText(const EComm32Error& e) {
    std::string text = e.what();
    if (!e.Reason().empty())
        text += "\n" + e.Reason();
    return text;
}

void keepDigitsOnly(char& Key) {
    const auto code = static_cast<unsigned char>(Key);
    if (code != 8 && (code < '0' || code > '9'))
        Key = 0;
}

} // namespace

TForm1::TForm1() : AutoSaving(false), AutoSampling(false), RecordFile(0) {
    designControls();
    connectHandlers();
    DoCreate([this] { FormCreate(); });
}

TForm1::~TForm1() = default;

std::string TForm1::settingsPath() const {
    return Application->ExeDir() + "cfg.ini";
}

void TForm1::FormCreate() {
    {
        TIniFile ini(settingsPath());
        Label1.SetCaption(ini.ReadString("sec1", "Title", utf8ToGbk("电子天平称重显示窗口")));
        ComboBox1.SetText(ini.ReadString("sec2", "PortNo", utf8ToGbk("串口一")));
        Edit2.SetText(ini.ReadString("sec3", "ScaleNo", "1"));
        Edit1.SetText(ini.ReadString("sec4", "SampleInterval", "50"));
        AutoSampling = ini.ReadString("sec5", "AutoSample", "false") == "true";
        SpeedButton2.SetFlat(AutoSampling);
        Button6.SetEnabled(!AutoSampling);
        HsCommDevice1.SetPortResolver(portResolverFromIni(ini));
    }
    applySampleInterval();
    Label10.SetCaption(DateTimeToStr(Now()));
    RecordFile = 0;
    AutoSaving = false;
    openSelectedPort();
    UpdateButtonStates(HsCommDevice1.fGetActive());
    StatusBar1.SetSimpleText(utf8ToGbk("空闲状态"));
}

// A bad SampleInterval in cfg.ini would otherwise stop the start-up half-way at every run: the
// error is shown and the start-up goes on as for an interval out of range.
void TForm1::applySampleInterval() {
    double value = 0;
    try {
        value = StrToFloat(Edit1.Text());
    } catch (const EConvertError& e) {
        ShowErrorBox(e.what());
    }
    // Checked on the number itself, so neither a negative nor a huge value can wrap into range.
    if (value >= MinSampleInterval && value < MaxSampleInterval + 1) {
        Timer1.SetInterval(static_cast<std::uint32_t>(Trunc(value)));
        return;
    }
    Timer1.SetInterval(FallbackSampleInterval);
    Edit1.SetText(std::to_string(FallbackSampleInterval));
}

void TForm1::openSelectedPort() {
    // Setting the port closes it, which may fail as opening may; both leave the link closed.
    try {
        if (int portNo = portNumberOfName(ComboBox1.Text()))
            HsCommDevice1.fSetPort(portNo);
        HsCommDevice1.fSetActive(true);
    } catch (const EComm32Error& e) {
        ComboBox1.SetText("");
        ShowMessage(openFailureText(e));
    } catch (const std::exception& e) {
        ComboBox1.SetText("");
        ShowMessage(e.what());
    }
}

void TForm1::ComboBox1Change() {
    openSelectedPort();
    ComboBox1.SetStyle(csDropDownList);
    UpdateButtonStates(HsCommDevice1.fGetActive());
}

void TForm1::UpdateButtonStates(bool linkOpen) {
    const bool commands = linkOpen && !AutoSampling;
    for (TButton* button : {&Button1, &Button2, &Button3, &Button4, &Button6, &Button7, &Button9})
        button->SetEnabled(commands);
    SpeedButton2.SetEnabled(linkOpen);
    SpeedButton3.SetEnabled(linkOpen);
    if (linkOpen)
        Button7.SetEnabled(!AutoSaving);
}

void TForm1::Button10Click() {
    Close();
}

void TForm1::Edit1KeyPress(char& Key) {
    keepDigitsOnly(Key);
}

void TForm1::Edit2KeyPress(char& Key) {
    keepDigitsOnly(Key);
}

// The operator must always be able to quit: a settings file that cannot be written, or a port
// that does not close cleanly, is shown and the close goes on.
void TForm1::FormClose(TCloseAction&) {
    try {
        TIniFile ini(settingsPath());
        ini.WriteString("sec1", "Title", Label1.Caption());
        ini.WriteString("sec2", "PortNo", ComboBox1.Text());
        ini.WriteString("sec3", "ScaleNo", Edit2.Text());
        ini.WriteString("sec4", "SampleInterval", Edit1.Text());
        ini.WriteString("sec5", "AutoSample", AutoSampling ? "true" : "false");
    } catch (const std::exception& e) {
        ShowErrorBox(e.what());
    }
    if (HsCommDevice1.fGetActive()) {
        try {
            HsCommDevice1.fSetActive(false);
        } catch (const std::exception& e) {
            ShowErrorBox(e.what());
        }
    }
}
