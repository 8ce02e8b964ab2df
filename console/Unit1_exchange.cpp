// The command exchange with the balance and the decoding of its replies.
#include "Unit1.h"

void TForm1::Button1Click() {}

void TForm1::Button2Click() {}

void TForm1::Button3Click() {}

void TForm1::Button4Click() {}

void TForm1::Button6Click() {}

void TForm1::Timer2Timer() {}

void TForm1::Timer3Timer() {}

void TForm1::HsCommDevice1Package(void*, std::uint32_t) {}
