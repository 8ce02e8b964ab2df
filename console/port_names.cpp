#include "port_names.h"

#include "IniFile.h"

#include "gbk_text.h"

#include <map>

const std::vector<std::string>& portNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v;
        for (const char* utf8 :
             {"串口一", "串口二", "串口三", "串口四", "串口五", "串口六", "串口七", "串口八"})
            v.push_back(utf8ToGbk(utf8));
        return v;
    }();
    return names;
}

int portNumberOfName(const std::string& Text) {
    const auto& names = portNames();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == Text)
            return static_cast<int>(i) + 1;
    return 0;
}

TPortResolver portResolverFromIni(const TIniFile& Ini) {
    std::map<int, std::string> devices;
    for (int n = 1; n <= 8; ++n) {
        // The file is GBK text; device paths are the file system's UTF-8.
        std::string path = gbkToUtf8(Ini.ReadString("ports", "COM" + std::to_string(n), ""));
        if (!path.empty())
            devices[n] = std::move(path);
    }
    return [devices = std::move(devices)](int PortNo) {
        auto it = devices.find(PortNo);
        return it != devices.end() ? it->second : defaultPortPath(PortNo);
    };
}
