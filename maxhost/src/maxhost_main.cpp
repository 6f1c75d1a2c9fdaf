// maxhost [--bundle PATH] [FILE...]: loads a bundle, makes an object of its class and drives it
// with protocol lines from the files, or from standard input.

#include "HostProgram.h"

#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

constexpr char const* defaultBundleName = "trov5.cclink.so";

char const* const usage = "usage: maxhost [--bundle PATH] [FILE...]\n"
                          "Loads the bundle (by default trov5.cclink.so beside this program), makes\n"
                          "an object of its class and sends it the messages of the files, else of the\n"
                          "standard input, one per line.\n";

std::string programFolder()
{
    std::string path(4096, '\0');
    ssize_t const length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0)
        return ".";
    path.resize(static_cast<std::size_t>(length));
    std::size_t const slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string fileStem(std::string const& path)
{
    std::size_t const slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0)
        name.resize(name.size() - 3);
    return name;
}

} // namespace

int main(int argc, char** argv)
{
    std::string bundlePath;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i)
    {
        std::string const arg = argv[i];
        if (arg == "--help" || arg == "-h")
        {
            std::cout << usage;
            return 0;
        }
        if (arg == "--bundle")
        {
            if (i + 1 >= argc)
            {
                std::cerr << "maxhost: --bundle needs a path\n" << usage;
                return 2;
            }
            bundlePath = argv[++i];
        }
        else if (arg.size() > 1 && arg[0] == '-' && arg != "-")
        {
            std::cerr << "maxhost: unknown option " << arg << '\n' << usage;
            return 2;
        }
        else
            files.push_back(arg);
    }
    if (bundlePath.empty())
        bundlePath = programFolder() + "/" + defaultBundleName;

    std::vector<std::unique_ptr<std::ifstream>> inputs;
    for (std::string const& file : files)
    {
        if (file == "-")
        {
            inputs.push_back(nullptr);
            continue;
        }
        auto in = std::make_unique<std::ifstream>(file);
        if (!*in)
        {
            std::cerr << "maxhost: cannot read " << file << '\n';
            return 2;
        }
        inputs.push_back(std::move(in));
    }

    maxhost::Bundle bundle;
    maxhost::HostProgram program(std::cout, bundle);
    maxhost::SetListener(&program);
    std::string error;
    if (!bundle.Load(bundlePath, error))
    {
        std::cout.flush();
        std::cerr << "maxhost: cannot load the bundle " << bundlePath << ": " << error << '\n';
        maxhost::SetListener(nullptr);
        return 2;
    }
    std::vector<maxclass*> const classes = maxhost::GetRegisteredClasses();
    if (classes.empty())
    {
        std::cout.flush();
        std::cerr << "maxhost: the bundle " << bundlePath << " registers no class\n";
        maxhost::SetListener(nullptr);
        return 2;
    }
    maxclass* const objectClass = maxhost::FindClass(fileStem(bundlePath).c_str());
    program.SetClass(objectClass != nullptr ? objectClass : classes.front());
    program.CreateObject(0, nullptr);

    if (inputs.empty())
        program.ProcessInput(STDIN_FILENO);
    for (auto const& in : inputs)
    {
        if (in)
            program.ProcessStream(*in);
        else
            program.ProcessInput(STDIN_FILENO);
    }
    program.Finish();
    maxhost::SetListener(nullptr);
    return 0;
}
