#include <cstdio>
int main() { std::puts("qlvtool"); return 0; }
