// Replaced by the main window's start-up.
int main() {
    return 0;
}
