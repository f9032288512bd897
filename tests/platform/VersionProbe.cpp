// Does nothing: it exists to be read by the version reader's tests.
int main()
{
    return 0;
}
