// The window as designed: captions, fonts, places and the handlers behind each control.
#include "Unit1.h"

#include "port_names.h"

#include "gbk_text.h"

namespace {

constexpr int ClientWidth = 356;
constexpr int ClientHeight = 425;
constexpr int FieldFontPx = 19;

TFont songFont(int px) {
    return TFont{utf8ToGbk("宋体"), px, std::nullopt, false};
}

void placeLabel(TLabel& label, const char* captionUtf8, int left, int top, int width) {
    label.SetCaption(utf8ToGbk(captionUtf8));
    label.SetFont(songFont(FieldFontPx));
    label.SetBounds(left, top, width, 24);
}

// Buttons and speed buttons alike.
template <typename Button>
void placeButton(Button& button, const char* captionUtf8, int left, int top, int width) {
    button.SetCaption(utf8ToGbk(captionUtf8));
    button.SetFont(songFont(FieldFontPx));
    button.SetBounds(left, top, width, 32);
}

} // namespace

void TForm1::designControls() {
    SetCaption(utf8ToGbk("简洁型电子天平称重数据电脑显示窗"));
    SetFont(TFont{"LedFont", 0, std::nullopt, false});
    SetClientSize(ClientWidth, ClientHeight);
    CenterOnScreen();

    Label1.SetCaption(utf8ToGbk("   重  量  显  示  窗  口"));
    Label1.SetFont(songFont(25));
    Label1.SetAlignment(taCenter);
    Label1.SetBounds(0, 8, ClientWidth, 32);
    Edit4.SetFont(songFont(25));
    Edit4.SetBounds(0, 8, ClientWidth, 32);
    Edit4.SetVisible(false);

    Panel1.SetBevelOuter(bvLowered);
    Panel1.SetBounds(8, 46, ClientWidth - 16, 92);
    Label2.SetCaption("0.00g");
    Label2.SetFont(TFont{"LedNumber", 48, clBlue, false});
    Label2.SetAlignment(taCenter);
    Label2.SetBounds(0, 0, ClientWidth - 16, 92);

    placeLabel(Label3, "称重时间", 12, 148, 84);
    Label10.SetFont(songFont(FieldFontPx));
    Label10.SetBounds(100, 148, ClientWidth - 108, 24);

    placeLabel(Label5, "通信端口", 12, 182, 84);
    ComboBox1.SetFont(songFont(FieldFontPx));
    ComboBox1.SetBounds(100, 179, 120, 28);
    ComboBox1.SetItems(portNames());
    ComboBox1.SetMaxLength(5);
    ComboBox1.SetText(portNames().front());
    Edit3.SetFont(songFont(FieldFontPx));
    Edit3.SetBounds(100, 179, 120, 28);
    Edit3.SetVisible(false);

    placeLabel(Label9, "天平编号", 12, 216, 84);
    Edit2.SetFont(songFont(FieldFontPx));
    Edit2.SetBounds(100, 213, 50, 28);
    Edit2.SetMaxLength(2);

    placeLabel(Label7, "采样间隔", 12, 250, 84);
    Edit1.SetFont(songFont(FieldFontPx));
    Edit1.SetBounds(100, 247, 50, 28);
    Edit1.SetMaxLength(3);
    placeLabel(Label8, "10ms", 156, 250, 60);

    // Three rows of buttons: four commands, then sampling and printing, then records and exit.
    const int wide = (ClientWidth - 16 - 3 * 6) / 4;
    placeButton(Button2, "校准", 8, 286, wide);
    placeButton(Button4, "计数", 8 + (wide + 6), 286, wide);
    Button4.SetFont(TFont{"LedFont", FieldFontPx, std::nullopt, false});
    placeButton(Button3, "单位", 8 + 2 * (wide + 6), 286, wide);
    placeButton(Button1, "去皮", 8 + 3 * (wide + 6), 286, wide);
    const int third = (ClientWidth - 16 - 2 * 6) / 3;
    placeButton(Button6, "手动采样", 8, 324, third);
    placeButton(SpeedButton2, "自动采样", 8 + (third + 6), 324, third);
    placeButton(Button9, "打印", 8 + 2 * (third + 6), 324, third);
    placeButton(Button7, "保存", 8, 362, third);
    placeButton(SpeedButton3, "自动保存", 8 + (third + 6), 362, third);
    placeButton(Button10, "退出", 8 + 2 * (third + 6), 362, third);

    StatusBar1.SetFont(songFont(FieldFontPx));
    StatusBar1.SetBounds(0, ClientHeight - 26, ClientWidth, 26);
    SaveDialog1.SetFilter(utf8ToGbk("文本文件(*.txt)|*.txt"));

    Timer1.SetInterval(250);
    Timer3.SetInterval(100);
}

void TForm1::connectHandlers() {
    OnClose = [this](TCloseAction& Action) { FormClose(Action); };
    ComboBox1.OnChange = [this] { ComboBox1Change(); };
    Edit1.OnKeyPress = [this](char& Key) { Edit1KeyPress(Key); };
    Edit2.OnKeyPress = [this](char& Key) { Edit2KeyPress(Key); };
    Button1.OnClick = [this] { Button1Click(); };
    Button2.OnClick = [this] { Button2Click(); };
    Button3.OnClick = [this] { Button3Click(); };
    Button4.OnClick = [this] { Button4Click(); };
    Button6.OnClick = [this] { Button6Click(); };
    Button10.OnClick = [this] { Button10Click(); };
    Timer2.OnTimer = [this] { Timer2Timer(); };
    Timer3.OnTimer = [this] { Timer3Timer(); };
    HsCommDevice1.OnPackage = [this](void* Sender, std::uint32_t NotifyType) {
        HsCommDevice1Package(Sender, NotifyType);
    };
}
