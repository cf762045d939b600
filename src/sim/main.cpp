// zelvanor-sim: a counter on a pseudo-terminal.
#include <cstdio>

int main() {
    std::fputs("zelvanor-sim: not built yet\n", stderr);
    return 2;
}
