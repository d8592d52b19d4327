// A Windows program that stands for a Linux program in the Windows tests under Wine.
// Wine starts a Linux program, but gives the Windows side no handle to wait for it, read
// its output or stop it; this program is a real Windows process, so a QProcess can. It
// asks linux_programs.py (reached on 127.0.0.1, at the port and with the key in
// TILLORA_LINUX_PROGRAMS) to run the Linux program, and relays its input, output, error
// output and exit code. QProcess::terminate() (WM_CLOSE to the main thread) becomes
// SIGTERM; a kill closes the connection, and the Linux program is killed with it.
//
// Which Linux program: the lines of "<name>.linux" beside this file when there is one
// (a program and its first arguments), else /usr/bin/<name>, where <name> is this file's
// own name without ".exe".
// winsock2.h before windows.h, which would bring the old winsock.h.
#include <winsock2.h>

#include <windows.h>
#include <ws2tcpip.h>

#include "Win32Api.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using tillora::win32::toUtf8;

SOCKET broker = INVALID_SOCKET;
CRITICAL_SECTION sending;

[[noreturn]] void fail(const std::string& what) {
    const std::string line = "linux-program: " + what + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), DWORD(line.size()), &written, nullptr);
    ExitProcess(127);
}

bool sendFrame(char kind, const std::string& payload) {
    std::string frame(1, kind);
    const uint32_t length = uint32_t(payload.size());
    for (int shift = 0; shift < 32; shift += 8)
        frame += char((length >> shift) & 0xff);
    frame += payload;
    EnterCriticalSection(&sending);
    bool sent = true;
    for (size_t done = 0; sent && done < frame.size();) {
        const int n = send(broker, frame.data() + done, int(frame.size() - done), 0);
        sent = n > 0;
        done += sent ? size_t(n) : 0;
    }
    LeaveCriticalSection(&sending);
    return sent;
}

bool receiveExactly(char* data, size_t size) {
    for (size_t done = 0; done < size;) {
        const int n = recv(broker, data + done, int(size - done), 0);
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

std::wstring ownPath() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), DWORD(path.size())));
    return path;
}

// The Linux command line before this program's own arguments.
std::vector<std::string> linuxCommand() {
    std::wstring stem = ownPath();
    if (stem.size() > 4 && _wcsicmp(stem.c_str() + stem.size() - 4, L".exe") == 0)
        stem.resize(stem.size() - 4);
    std::vector<std::string> command;
    if (FILE* file = _wfopen((stem + L".linux").c_str(), L"rb")) {
        char line[4096];
        while (fgets(line, sizeof line, file)) {
            std::string argument(line);
            while (!argument.empty() && (argument.back() == '\n' || argument.back() == '\r'))
                argument.pop_back();
            if (!argument.empty())
                command.push_back(argument);
        }
        fclose(file);
    } else {
        const size_t slash = stem.find_last_of(L"\\/");
        command.push_back("/usr/bin/" + toUtf8(stem.substr(slash + 1)));
    }
    return command;
}

// The working folder as a Linux path when it is on Z:, the Linux root; else none.
std::string linuxFolder() {
    std::wstring folder(32768, L'\0');
    folder.resize(GetCurrentDirectoryW(DWORD(folder.size()), folder.data()));
    if (folder.size() < 3 || (folder[0] != L'Z' && folder[0] != L'z') || folder[1] != L':')
        return {};
    std::string path = toUtf8(folder.substr(2));
    for (char& c : path)
        c = c == '\\' ? '/' : c;
    return path;
}

void connectToBroker() {
    char setting[256] = {};
    if (!GetEnvironmentVariableA("TILLORA_LINUX_PROGRAMS", setting, sizeof setting))
        fail("TILLORA_LINUX_PROGRAMS is not set (the tests' Wine prefix sets it)");
    const std::string text(setting);
    const size_t space = text.find(' ');
    const std::string port = text.substr(0, space);
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        fail("no sockets");
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* address = nullptr;
    if (getaddrinfo("127.0.0.1", port.c_str(), &hints, &address) != 0)
        fail("bad port in TILLORA_LINUX_PROGRAMS");
    broker = socket(address->ai_family, address->ai_socktype, address->ai_protocol);
    const bool connected = broker != INVALID_SOCKET &&
                           connect(broker, address->ai_addr, int(address->ai_addrlen)) == 0;
    freeaddrinfo(address);
    if (!connected)
        fail("linux_programs.py is not listening on port " + port);
    sendFrame('K', space == std::string::npos ? std::string() : text.substr(space + 1));
}

DWORD WINAPI forwardInput(void*) {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    char buffer[65536];
    DWORD got = 0;
    while (input && input != INVALID_HANDLE_VALUE &&
           ReadFile(input, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        if (!sendFrame('I', std::string(buffer, got)))
            return 0;
    }
    sendFrame('E', {});
    return 0;
}

void writeAll(DWORD which, const std::string& data) {
    const HANDLE handle = GetStdHandle(which);
    for (size_t done = 0; done < data.size();) {
        DWORD written = 0;
        if (!WriteFile(handle, data.data() + done, DWORD(data.size() - done), &written, nullptr))
            return;
        done += written;
    }
}

// Relays the program's output until it ends, then ends this process with its exit code;
// a program ended by a signal is a crash to the Windows side.
DWORD WINAPI relayOutput(void*) {
    for (;;) {
        char head[5];
        if (!receiveExactly(head, sizeof head))
            fail("the connection to linux_programs.py was lost");
        uint32_t length = 0;
        for (int i = 0; i < 4; ++i)
            length |= uint32_t(uint8_t(head[1 + i])) << (8 * i);
        std::string payload(length, '\0');
        if (!receiveExactly(payload.data(), length))
            fail("the connection to linux_programs.py was lost");
        switch (head[0]) {
        case 'O':
            writeAll(STD_OUTPUT_HANDLE, payload);
            break;
        case 'F':
            writeAll(STD_ERROR_HANDLE, payload);
            break;
        case 'W':
            fail(payload);
        case 'X':
            if (payload.rfind("signal ", 0) == 0)
                ExitProcess(0xC0000000u | UINT(std::atoi(payload.c_str() + 7)));
            ExitProcess(UINT(std::atoi(payload.c_str())));
        }
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    // The message queue first, so that a terminate() right after the start is not lost.
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    InitializeCriticalSection(&sending);
    connectToBroker();

    std::string arguments;
    for (const std::string& argument : linuxCommand())
        arguments += argument + '\0';
    for (int i = 1; i < argc; ++i)
        arguments += toUtf8(argv[i]) + '\0';
    sendFrame('A', arguments);
    sendFrame('D', linuxFolder());
    sendFrame('R', {});
    CreateThread(nullptr, 0, relayOutput, nullptr, 0, nullptr);
    CreateThread(nullptr, 0, forwardInput, nullptr, 0, nullptr);
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_CLOSE)
            sendFrame('T', {});
    }
    return 0;
}
