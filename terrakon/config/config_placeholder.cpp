namespace tk {}
