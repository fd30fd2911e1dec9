// Placeholder until the desktop program lands.
int main() { return 0; }
